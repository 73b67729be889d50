#include "Camera.h"

#include <algorithm>
#include <cmath>

using ZRC::ZrVector3d;

namespace nbparticle {
namespace {

const double kPi = 3.14159265358979323846;
const double kFieldOfView = 40.0;   // vertical, degrees
const double kMargin = 0.88;        // share of the half frame the box may fill

double Dot(const ZrVector3d& a, const ZrVector3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
ZrVector3d Cross(const ZrVector3d& a, const ZrVector3d& b)
{
    return ZrVector3d(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
ZrVector3d Scaled(const ZrVector3d& v, double s) { return ZrVector3d(v.x * s, v.y * s, v.z * s); }
ZrVector3d Sum(const ZrVector3d& a, const ZrVector3d& b) { return ZrVector3d(a.x + b.x, a.y + b.y, a.z + b.z); }
ZrVector3d Unit(const ZrVector3d& v) { return Scaled(v, 1.0 / std::sqrt(Dot(v, v))); }

} // namespace

Camera::Camera(int width, int height, double azimuthDeg, double elevationDeg)
    : m_width(width), m_height(height), m_focal(height * 0.5 / std::tan(kFieldOfView * 0.5 * kPi / 180.0))
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = std::clamp(elevationDeg, -89.0, 89.0) * kPi / 180.0;
    // From the target towards the eye.
    const ZrVector3d back(std::cos(el) * std::sin(az), std::sin(el), std::cos(el) * std::cos(az));
    m_forward = Scaled(back, -1.0);
    m_right = Unit(Cross(m_forward, ZrVector3d(0, 1, 0)));
    m_up = Cross(m_right, m_forward);
    Frame(ZrVector3d(-1, -1, -1), ZrVector3d(1, 1, 1));
}

void Camera::Frame(const ZrVector3d& lo, const ZrVector3d& hi)
{
    const ZrVector3d half = Scaled(Sum(hi, Scaled(lo, -1.0)), 0.5);
    const double radius = std::max(1e-3, std::sqrt(Dot(half, half)));
    double distance = radius * 1.05;
    for (int c = 0; c < 8; ++c) {
        const ZrVector3d o((c & 1) ? half.x : -half.x, (c & 2) ? half.y : -half.y, (c & 4) ? half.z : -half.z);
        distance = std::max(distance, DistanceToFit(o, 0.0));
    }
    Aim(Scaled(Sum(lo, hi), 0.5), distance);
}

double Camera::DistanceToFit(const ZrVector3d& offset, double pad) const
{
    // focal * (|lateral| + pad) / (distance + along) <= margin * half frame
    const double fx = m_focal / (m_width * 0.5 * kMargin), fy = m_focal / (m_height * 0.5 * kMargin);
    const double along = Dot(offset, m_forward);
    return std::max(fx * (std::fabs(Dot(offset, m_right)) + pad), fy * (std::fabs(Dot(offset, m_up)) + pad)) - along;
}

void Camera::Aim(const ZrVector3d& target, double distance)
{
    m_target = target;
    m_distance = std::max(1e-3, distance);
    m_eye = Sum(m_target, Scaled(m_forward, -m_distance));
}

bool Camera::Project(const ZrVector3d& p, double& sx, double& sy, double& depth) const
{
    const ZrVector3d d = Sum(p, Scaled(m_eye, -1.0));
    depth = Dot(d, m_forward);
    if (!(depth > m_distance * 0.02))
        return false;
    sx = m_width * 0.5 + m_focal * Dot(d, m_right) / depth;
    sy = m_height * 0.5 - m_focal * Dot(d, m_up) / depth;
    return std::isfinite(sx) && std::isfinite(sy);
}

ZrVector3d Camera::Direction(double sx, double sy) const
{
    const double x = (sx - m_width * 0.5) / m_focal, y = (m_height * 0.5 - sy) / m_focal;
    return Sum(m_forward, Sum(Scaled(m_right, x), Scaled(m_up, y)));
}

bool Camera::HitGround(double sx, double sy, double planeY, ZrVector3d& hit) const
{
    const ZrVector3d dir = Direction(sx, sy);
    if (std::fabs(dir.y) < 1e-9)
        return false;
    const double t = (planeY - m_eye.y) / dir.y;
    if (!(t > 0.0))
        return false;
    hit = Sum(m_eye, Scaled(dir, t));
    return true;
}

} // namespace nbparticle
