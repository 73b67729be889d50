#pragma once
#include <ZrVector3d.h>

namespace nbparticle {

// A perspective camera looking at the region an effect occupies, from an
// azimuth around the vertical axis and an elevation above the horizon (both in
// degrees). Azimuth 0 looks along -z; y is up.
class Camera {
public:
    Camera(int width, int height, double azimuthDeg, double elevationDeg);

    // Aims at the box lo..hi and backs off until the whole box fits the frame.
    void Frame(const ZRC::ZrVector3d& lo, const ZRC::ZrVector3d& hi);
    // Aims at target from the given distance.
    void Aim(const ZRC::ZrVector3d& target, double distance);
    // The distance from the target at which a point at target + offset, with a
    // margin of pad around it, just fits the frame.
    double DistanceToFit(const ZRC::ZrVector3d& offset, double pad) const;

    // Screen position (pixels, y down) and depth along the view axis of a point;
    // false when the point lies behind the near plane.
    bool Project(const ZRC::ZrVector3d& p, double& sx, double& sy, double& depth) const;
    // Where the ray through a pixel meets the horizontal plane y = planeY; false
    // when it does not (looking away from the plane).
    bool HitGround(double sx, double sy, double planeY, ZRC::ZrVector3d& hit) const;

    double Focal() const { return m_focal; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const ZRC::ZrVector3d& Target() const { return m_target; }
    const ZRC::ZrVector3d& Eye() const { return m_eye; }
    // Unit vectors: the view direction, and right and up on the screen.
    const ZRC::ZrVector3d& Forward() const { return m_forward; }
    const ZRC::ZrVector3d& Right() const { return m_right; }
    const ZRC::ZrVector3d& Up() const { return m_up; }
    double Distance() const { return m_distance; }

private:
    ZRC::ZrVector3d Direction(double sx, double sy) const;

    int m_width, m_height;
    double m_focal;
    ZRC::ZrVector3d m_forward, m_right, m_up;   // unit basis, forward points at the target
    ZRC::ZrVector3d m_target, m_eye;
    double m_distance = 1.0;
};

} // namespace nbparticle
