#include "DocumentText.h"

namespace {

using Entry = DocumentText::Entry;
using Section = DocumentText::Section;

// The rule every placer that sets no position falls back on.
#define NBPS_AT_ORIGIN "every particle starts at the origin (0, 0, 0), where the template starts it"

const Entry kEntries[] = {
    // The effect.
    {"QuenmarParticleEffect",
     "The root of an effect document: the kind of the effect and its particle systems.", "", "", "",
     "A file is read as an effect document only when its name ends in .par (letter case aside); any other name is "
     "looked up as an entry of the resource container particle/particle.sc, where an entry holds at most 10,240 "
     "bytes once unpacked. A document may hold at most 8 MiB and 256 levels of nesting.\n"
     "Children are found only in the order of this reference; a child out of order, misspelt or in the wrong "
     "element is skipped without a word, and what it would set keeps its default (see order).",
     ""},
    {"EffectType",
     "The kind of the effect, a label for the host: the library stores it (GetType) and nothing in the simulation "
     "depends on it.",
     "", "none (0), the kind a newly read effect starts with",
     "FireEffect 1, SmokeEffect 2, FountainEffect 3, ExplodeEffect 4, RainEffect 5, SnowEffect 6; an empty text, "
     "or any other text (letter case counts), gives none (0).",
     "Write it first: an EffectType after a ParticleSystem is still read, but then no ParticleSystem before it "
     "is found.",
     ""},
    {"ParticleSystem",
     "One stream of particles: an emitter that makes them, influences that push them, and how the host draws "
     "them.",
     "", "", "",
     "Every ParticleSystem element becomes one particle system of the effect, in document order. A system without "
     "an Emitter shows nothing.\n"
     "A system keeps its particles in a pool, dead ones included, and reuses dead slots before it grows; by "
     "default a pool holds at most 1,048,576 particles, and all pools of a process together 2,097,152.\n"
     "Its bounding box (GetBoundingBox) only grows: it covers every position any of its particles has reached "
     "since the effect was read, also after they have died, and the library never resets it.",
     ""},

    // The emitter.
    {"Emitter",
     "Makes the system's new particles: the Counter says how many in each frame, the Placer where each starts, "
     "the Shooter how fast and which way it leaves, and ParticleTemple what every particle starts as.",
     "", "no emitter: the system makes no particles", "",
     "The Emitter is read only when its EmitterType is CommonEmitter. It makes particles only once it has a "
     "Counter, a Placer and a Shooter that were all read; without any one of them it makes nothing.\n"
     "In each frame the emitter runs first, then every live particle ages and moves: a new particle already "
     "moves one step in the frame that made it.",
     ""},
    {"Emitter/CommonEmitter", "The only emitter class.", "", "", "", "",
     "<Emitter>\n"
     "  <EmitterType>CommonEmitter</EmitterType>\n"
     "  <Counter><CounterType>CommonCounter</CounterType><NumPerSecond>120</NumPerSecond></Counter>\n"
     "  <Placer><PlacerType>PointPlacer</PlacerType></Placer>\n"
     "  <Shooter><ShooterType>RadialShooter</ShooterType></Shooter>\n"
     "  <ParticleTemple><LifeTime>1.5</LifeTime></ParticleTemple>\n"
     "</Emitter>"},
    {"EmitterType", "The class of the emitter.", "", "none: an Emitter without it is not read at all",
     "CommonEmitter; any other text and the Emitter is not read.", "", ""},

    // Counters.
    {"Counter", "How many particles the emitter makes in each frame (each Update of the effect).", "",
     "no counter: the emitter makes nothing", "",
     "CommonCounter keeps up a steady stream; FadeCounter releases one burst.", ""},
    {"CounterType", "The class of the counter.", "",
     "none: without it the emitter gets no counter and makes nothing",
     "CommonCounter or FadeCounter; any other text and the emitter gets no counter.", "", ""},
    {"Counter/CommonCounter",
     "A steady stream: in each frame, NumPerSecond times the frame's time step, rounded to the nearest whole "
     "number (halves up), but never fewer than 1.",
     "", "", "",
     "No fraction is carried over to the next frame, so the rate follows the host's frame rate: at F frames a "
     "second the stream makes F x max(1, round(NumPerSecond / F)) particles a second. NumPerSecond 8 gives 30 a "
     "second at 30 frames a second and 60 at 60; 50 gives 60 at both; 100 gives 90 and 120; 900 gives 900 at "
     "both. Choose NumPerSecond well above the frame rate, or a multiple of 60, when the rate matters. A host "
     "may switch on steady emission (ZrParticleEffect::SetSteadyEmission): the fraction is then carried from "
     "frame to frame, so that after any run of frames the stream has made NumPerSecond times the time passed, "
     "rounded, and 8 gives 8 a second at 30 and at 60 frames a second, 0 or less none. nbparticle runs "
     "documents by the rule above.",
     "<Counter>\n"
     "  <CounterType>CommonCounter</CounterType>\n"
     "  <NumPerSecond>120</NumPerSecond>\n"
     "</Counter>"},
    {"Counter/FadeCounter",
     "One burst: NumPerSecond particles at once in the first frame the system runs, then none.", "", "", "",
     "The burst comes again only after the host calls ResetCounter on the particle system. While the system is "
     "frozen or not alive the burst waits.",
     "<Counter>\n"
     "  <CounterType>FadeCounter</CounterType>\n"
     "  <NumPerSecond>400</NumPerSecond>\n"
     "</Counter>"},
    {"Counter/CommonCounter/NumPerSecond", "The particles a second the stream aims at.", "particles per second",
     "50",
     "A whole number; beyond 2147483647 or -2147483648 it stops there. 0 or less still makes one particle in "
     "every frame, and so does any rate below the frame rate (see CommonCounter).",
     "Read like C's atoi: the whole number the text starts with, so 12.7 reads as 12 and 1e3 as 1.", ""},
    {"Counter/FadeCounter/NumPerSecond", "The number of particles in the burst.", "particles (not per second)",
     "50", "A whole number; 0 or less makes no particle.",
     "Read like C's atoi: the whole number the text starts with, so 12.7 reads as 12 and 1e3 as 1.", ""},

    // Placers.
    {"Placer", "Where each new particle starts.", "", "no placer: the emitter makes nothing", "",
     "Start positions are in the particle system's coordinates, in scene units (see coordinates). A placer that "
     "sets no position leaves the particle where the template starts it, at the origin (0, 0, 0), whatever its "
     "Position says: a BoxPlacer read from a document always, a PolygonPlacer until the host gives it a region.",
     ""},
    {"PlacerType", "The class of the placer.", "",
     "none: without it the emitter gets no placer and makes nothing",
     "PointPlacer, RegionPlacer, BoxPlacer, ScrewPlacer or PolygonPlacer; any other text and the emitter gets no "
     "placer.",
     "", ""},
    {"Placer/PointPlacer",
     "Starts every particle at Position; the particles spread out only by their velocities and the influences.",
     "", "", "", "",
     "<Placer>\n"
     "  <PlacerType>PointPlacer</PlacerType>\n"
     "  <Position><Position:X>0</Position:X><Position:Y>0.5</Position:Y><Position:Z>0</Position:Z></Position>\n"
     "</Placer>"},
    {"Placer/PointPlacer/Position", "The start point of every particle.", "scene units", "(0, 0, 0)",
     "Any point.", "", ""},
    {"Placer/RegionPlacer",
     "Starts particles at random points of a flat disc around Position, level with it (the disc lies in the x-z "
     "plane).",
     "", "", "",
     "The distance from the centre is drawn evenly from 0 to Radius (in 1,000 steps) and the direction in whole "
     "degrees (360 steps), so particles crowd towards the centre. Despite its name it takes no part in the "
     "host's SetRegion.",
     "<Placer>\n"
     "  <PlacerType>RegionPlacer</PlacerType>\n"
     "  <Position><Position:X>0</Position:X><Position:Y>0</Position:Y><Position:Z>0</Position:Z></Position>\n"
     "  <Radius>0.4</Radius>\n"
     "</Placer>"},
    {"Placer/RegionPlacer/Position", "The centre of the disc.", "scene units", "(0, 0, 0)", "Any point.", "",
     ""},
    {"Placer/RegionPlacer/Radius", "The radius of the disc.", "scene units", "0.1",
     "Greater than 0; 0 or less (up to 1e-10) starts every particle at Position.",
     "Not the radius of a particle: that is ParticleTemple/Radius.", ""},
    {"Placer/BoxPlacer",
     "Meant to start particles at random points of a box, but the box is not part of the document: a box placer "
     "read from a document has no box and sets no position, so " NBPS_AT_ORIGIN ".",
     "", "", "",
     "Only a box placer copied in code from one that has a box places particles in it. For a spread of start "
     "points use a RegionPlacer; for one point, a PointPlacer.",
     "<Placer>\n"
     "  <PlacerType>BoxPlacer</PlacerType>\n"
     "</Placer>"},
    {"Placer/BoxPlacer/Position", "Stored and written back, but not used to place particles.", "scene units",
     "(0, 0, 0)", "Any point; it changes nothing.", "", ""},
    {"Placer/ScrewPlacer",
     "Starts each particle a little further along a helix around the vertical line through Position: the start "
     "point circles at AngleSpeed while it climbs at ForwordSpeed, and jumps back to the foot every RoundTime "
     "seconds of its clock.",
     "", "", "",
     "The start point is Position + (Radius cos a, ForwordSpeed t, Radius sin a), where t is the placer's clock "
     "and a = AngleSpeed t degrees: it starts towards +X and turns towards +Z.\n"
     "The clock starts at 0 when the effect is read and advances by the frame's time step for every particle "
     "placed, not once a frame: a frame that makes three particles moves it three steps, so the helix runs "
     "faster the more particles a frame makes. With the defaults the start point turns once a second of clock "
     "and climbs 200 units before it starts again.",
     "<Placer>\n"
     "  <PlacerType>ScrewPlacer</PlacerType>\n"
     "  <Position><Position:X>0</Position:X><Position:Y>0</Position:Y><Position:Z>0</Position:Z></Position>\n"
     "  <RoundTime>2</RoundTime>\n"
     "  <AngleSpeed>180</AngleSpeed>\n"
     "  <ForwordSpeed>0.5</ForwordSpeed>\n"
     "  <Radius>0.3</Radius>\n"
     "</Placer>"},
    {"Placer/ScrewPlacer/Position", "The foot of the helix: its axis runs up through it along +Y.", "scene units",
     "(0, 0, 0)", "Any point.", "", ""},
    {"Placer/ScrewPlacer/RoundTime",
     "The length of the helix in clock time: when the clock passes it, it starts again from the foot.",
     "seconds of the placer's clock", "10",
     "Greater than 0; 0 or less never wraps, and the start point climbs for ever.",
     "The clock advances once for every particle placed (see ScrewPlacer).", ""},
    {"Placer/ScrewPlacer/AngleSpeed", "How fast the start point circles the axis.",
     "degrees per second of the placer's clock", "360",
     "Any number; a negative one turns from +X towards -Z, 0 keeps the start point on one vertical line.", "",
     ""},
    {"Placer/ScrewPlacer/ForwordSpeed", "How fast the start point climbs along +Y (the name is spelt so).",
     "scene units per second of the placer's clock", "20",
     "Any number; a negative one descends, 0 keeps the start point on one circle.", "", ""},
    {"Placer/ScrewPlacer/Radius", "The radius of the helix.", "scene units", "5",
     "Any number; 0 keeps the start point on the axis, a negative one starts it on the opposite side.",
     "Not the radius of a particle: that is ParticleTemple/Radius.", ""},
    {"Placer/PolygonPlacer",
     "Starts particles at random points of a geographic polygon that the host gives with the particle system's "
     "SetRegion: longitude and latitude in degrees. The polygon is not part of the document.",
     "", "", "",
     "Until the host calls SetRegion the placer sets no position, and " NBPS_AT_ORIGIN ". SetRegion replaces "
     "Position by the point of the region's centre.\n"
     "With a region, a start point is drawn in longitude and latitude and turned into a point on a sphere of "
     "radius 6,378,137 (the Earth's, in metres), relative to the centre's point: the offsets are metres along "
     "the Earth-centred axes (x towards longitude 0 on the equator, y towards 90 degrees east, z towards the "
     "north pole), not along the effect's Y-up axes.\n"
     "Each draw picks a longitude evenly across the polygon's extent, then a latitude inside the polygon on that "
     "meridian; a draw that misses the polygon leaves the particle at the origin. Narrow parts of the polygon "
     "get as many particles as wide ones. The edges join consecutive points only: the host closes the ring by "
     "repeating the first point.",
     "<Placer>\n"
     "  <PlacerType>PolygonPlacer</PlacerType>\n"
     "</Placer>"},
    {"Placer/PolygonPlacer/Position",
     "Read, but replaced by the point of the centre that the host gives SetRegion; start points are relative to "
     "it.",
     "metres, Earth-centred", "(0, 0, 0)", "Any point; it places nothing by itself.", "", ""},

    // Shooters.
    {"Shooter", "How fast, and which way, each new particle leaves its start point.", "",
     "no shooter: the emitter makes nothing", "",
     "RadialShooter fires into a cone around +Y; SingleShooter fires along one direction. Both draw the speed "
     "from SpeedRangeStart to SpeedRangeEnd.",
     ""},
    {"ShooterType", "The class of the shooter.", "",
     "none: without it the emitter gets no shooter and makes nothing",
     "RadialShooter or SingleShooter; any other text and the emitter gets no shooter.", "", ""},
    {"Shooter/RadialShooter",
     "Fires each particle in a random direction given by a polar angle theta, measured from +Y, and an azimuth "
     "phi around Y, at a random speed.",
     "", "", "",
     "The velocity is speed x (sin theta cos phi, cos theta, sin theta sin phi): theta 0 fires straight up, 90 "
     "level, 180 straight down; phi 0 turns the level part towards +X and 90 towards +Z (see angles).\n"
     "Theta, phi and the speed are each drawn from their range in 100 even steps from Start up to Start + 0.99 x "
     "(End - Start): the End value itself is never drawn. Since theta is drawn evenly, directions crowd towards "
     "the axis.",
     "<Shooter>\n"
     "  <ShooterType>RadialShooter</ShooterType>\n"
     "  <SpeedRangeStart>1</SpeedRangeStart>\n"
     "  <SpeedRangeEnd>2</SpeedRangeEnd>\n"
     "  <ThetaRangeStart>0</ThetaRangeStart>\n"
     "  <ThetaRangeEnd>20</ThetaRangeEnd>\n"
     "  <PhiRangeStart>0</PhiRangeStart>\n"
     "  <PhiRangeEnd>360</PhiRangeEnd>\n"
     "</Shooter>"},
    {"Shooter/SingleShooter",
     "Fires every particle along Direction at a random speed: the velocity is Direction x speed.", "", "", "",
     "Direction is not normalised: its length multiplies the speed. The speed is drawn as by the RadialShooter.",
     "<Shooter>\n"
     "  <ShooterType>SingleShooter</ShooterType>\n"
     "  <SpeedRangeStart>3</SpeedRangeStart>\n"
     "  <SpeedRangeEnd>4</SpeedRangeEnd>\n"
     "  <Direction><Direction:X>0</Direction:X><Direction:Y>-1</Direction:Y><Direction:Z>0</Direction:Z></Direction>\n"
     "</Shooter>"},
    {"Shooter/SpeedRangeStart", "The lowest speed drawn for a new particle.",
     "scene units per second (for a SingleShooter, times the length of Direction)", "1",
     "Any number; an End below the Start draws downwards from the Start, a negative speed fires backwards.", "",
     ""},
    {"Shooter/SpeedRangeEnd", "The upper end of the speed range; it is never drawn itself.",
     "scene units per second (for a SingleShooter, times the length of Direction)", "2",
     "Any number; the fastest speed drawn is Start + 0.99 x (End - Start).", "", ""},
    {"Shooter/RadialShooter/ThetaRangeStart", "The lower end of the polar angle, measured from +Y.", "degrees",
     "0", "Any number: 0 straight up, 90 level, 180 straight down.", "", ""},
    {"Shooter/RadialShooter/ThetaRangeEnd", "The upper end of the polar angle; it is never drawn itself.",
     "degrees", "45", "Any number; End equal to Start fires every particle at that angle.", "", ""},
    {"Shooter/RadialShooter/PhiRangeStart", "The lower end of the azimuth around Y, from +X towards +Z.",
     "degrees", "0", "Any number: 0 towards +X, 90 towards +Z.", "", ""},
    {"Shooter/RadialShooter/PhiRangeEnd", "The upper end of the azimuth; it is never drawn itself.", "degrees",
     "360", "Any number; 0 to 360 fires all round.", "", ""},
    {"Shooter/SingleShooter/Direction", "The velocity of a particle per unit of speed.",
     "a direction; its length scales the speed", "(1, 1, 1)",
     "Any vector; it is not normalised, so the default fires along the diagonal at 1.73 times the speed.", "",
     ""},

    // The particle template.
    {"ParticleTemple",
     "What every new particle starts as: its size, alpha and colour over its life, its life time, and the "
     "radius the winds push on (the name is spelt so).",
     "", "every child at its default", "",
     "Each new particle is a copy of this template; the placer and the shooter then give it its position and "
     "velocity.",
     ""},
    {"SizeRangeStart",
     "The size at birth: a factor on ParticleWidth and ParticleHeight, so the host draws a quad of "
     "ParticleWidth x size by ParticleHeight x size.",
     "a factor", "1", "Any number of magnitude up to 1e36 (beyond, it reads as 0).",
     "The size moves in a straight line from SizeRangeStart to SizeRangeEnd over the particle's life, by its age "
     "over LifeTime at the start of each step. A particle that never dies (LifeTime 0 or less) instead takes one "
     "random size between the two at birth and keeps it.",
     ""},
    {"SizeRangeEnd", "The size at the end of life.", "a factor", "1",
     "Any number of magnitude up to 1e36 (beyond, it reads as 0).", "", ""},
    {"AlphaRangeStart", "The opacity at birth: 0 transparent, 1 opaque.", "0 to 1", "1",
     "Any number of magnitude up to 1e36; the library does not clamp it, the host does.",
     "The alpha moves from AlphaRangeStart to AlphaRangeEnd over life like the size, with or without a colour "
     "image. The preview clamps it to 1, multiplies it with the colour's A and draws only particles whose alpha "
     "is above 0.",
     ""},
    {"AlphaRangeEnd", "The opacity at the end of life.", "0 to 1", "0",
     "Any number of magnitude up to 1e36; the default fades every particle out.", "", ""},
    {"ColorRangeStart", "The colour at birth: red, green, blue and A.", "0 to 1 each", "(1, 1, 1, 1), white",
     "Any numbers; the library passes them to the host unclamped.",
     "Used only when the system has no colour image: the colour then moves in a straight line from "
     "ColorRangeStart to ColorRangeEnd over life. When ColorImagePath names an image that loads, both are "
     "ignored (see colour).",
     ""},
    {"ColorRangeEnd", "The colour at the end of life.", "0 to 1 each", "(0, 0, 0, 1), black",
     "Any numbers; the library passes them to the host unclamped.",
     "With both defaults a particle without a colour image fades from white to black.", ""},
    {"LifeTime", "How long each particle lives.", "seconds", "2",
     "Greater than 0. 0 or less: the particles never die of age; each takes a random size, alpha and colour "
     "between the range ends at birth and keeps them, and a CommonCounter then adds particles every frame until "
     "the pool is full.",
     "Seconds here, but milliseconds in the library's GetLifeTime and SetLifeTime: 1.5 here is 1500 there "
     "(nbparticle info shows both). The milliseconds stop at 2147483647: a LifeTime beyond about 2147483 "
     "(some 24.8 days) shows as that.\n"
     "A particle is updated, and moves, in every frame that starts with its age at most LifeTime, and dies in "
     "the first frame that starts later: about LifeTime x frame rate + 1 frames.",
     ""},
    {"ParticleTemple/Radius",
     "The particle's radius as the winds see it: they push on a cross-section of pi x Radius squared.",
     "scene units", "0.2",
     "Any number; 0 makes every wind of the system leave its particles alone, and the sign does not matter.",
     "It does not change how large a particle is drawn: that is the size range times ParticleWidth and "
     "ParticleHeight. The winds take the radius of the first particle of the system's pool for all of them, "
     "which for a document is this one. Acceleration influences ignore it.",
     ""},
    {"Mass",
     "Read and written back, but it moves nothing: the winds divide by the particle's inverse mass, which a "
     "document does not set.",
     "", "0.1",
     "Any number; whatever it is, the inverse mass stays 10, that of the default mass.",
     "To make particles follow a wind more slowly, lower ParticleTemple/Radius instead.", ""},

    // Influences.
    {"Influence",
     "A force on the system's live particles. It is applied once a frame, after the host has drawn "
     "(AfterRender), and changes their velocities, which show in the next frame's motion.",
     "", "no influence: particles keep the velocity their shooter gave them", "",
     "Several Influence elements may follow one another; each is read in turn and their effects add up. One "
     "without InfluenceType, or with an unknown word, is skipped, and the next is still read. The Mass a "
     "document gives plays no part in any of them (see ParticleTemple/Mass).",
     ""},
    {"InfluenceType", "The class of the influence.", "", "none: an Influence without it is skipped",
     "AccelInfluence, WindInfluence or RandomWind; any other text and the Influence is skipped.", "", ""},
    {"Influence/AccelInfluence",
     "A constant acceleration such as gravity or the lift of hot air: every frame each live particle's velocity "
     "grows by AccelDirection x AccelSize x the time step.",
     "", "", "", "Gravity in a scene measured in metres: AccelDirection (0, -1, 0) and AccelSize 9.8.",
     "<Influence>\n"
     "  <InfluenceType>AccelInfluence</InfluenceType>\n"
     "  <Accel>\n"
     "    <AccelDirection:X>0</AccelDirection:X>\n"
     "    <AccelDirection:Y>-1</AccelDirection:Y>\n"
     "    <AccelDirection:Z>0</AccelDirection:Z>\n"
     "    <AccelSize>9.8</AccelSize>\n"
     "  </Accel>\n"
     "</Influence>"},
    {"Accel", "Holds the acceleration: AccelDirection:X, :Y, :Z, then AccelSize.", "",
     "no acceleration: the influence does nothing", "", "", ""},
    {"AccelDirection", "The direction of the acceleration.", "a direction; its length scales AccelSize",
     "(0, 0, 0)", "Any vector; it is not normalised.",
     "Written as three elements AccelDirection:X, AccelDirection:Y and AccelDirection:Z directly inside Accel; "
     "there is no AccelDirection element.",
     ""},
    {"AccelSize", "The strength of the acceleration.",
     "scene units per second squared, per unit of AccelDirection's length", "0",
     "Any number; 0, the default, pushes nothing, and a negative one pushes against AccelDirection.", "", ""},
    {"Influence/WindInfluence",
     "A steady wind: drags each live particle's velocity towards WindVelocity, harder the further the two "
     "differ.",
     "", "", "",
     "Each frame a live particle of velocity v gains (WindVelocity - v) x pi r^2 x (0.2 pi Density |v - "
     "WindVelocity| + 6 pi VisCosity) x 10 x dt, where r is ParticleTemple/Radius, 10 the inverse mass of every "
     "particle read from a document, and dt the time step. For air, the defaults, the Density term rules: with "
     "Radius 0.2 a particle 1 unit a second off the wind gains about 1 unit a second, each second, towards it; "
     "with Radius 0.05 sixteen times less.\n"
     "Speed, Theta and Phi are kept and written back, but only WindVelocity moves anything. A step so long that "
     "the drag would overshoot brings the particle to the wind's velocity.",
     "<Influence>\n"
     "  <InfluenceType>WindInfluence</InfluenceType>\n"
     "  <WindVelocity><WindVelocity:X>2</WindVelocity:X><WindVelocity:Y>0</WindVelocity:Y>"
     "<WindVelocity:Z>0</WindVelocity:Z></WindVelocity>\n"
     "</Influence>"},
    {"WindVelocity", "The velocity of the air: the only wind setting that moves particles.",
     "scene units per second", "(1, 0, 0)", "Any vector.", "", ""},
    {"Speed", "Kept with the wind and written back, but not used: set WindVelocity.", "scene units per second",
     "1", "Any number; it changes nothing.",
     "Speed, Theta and Phi describe a wind by speed and angles (theta from +Y, phi from +X towards +Z) for tools "
     "that show it so; the library does not turn them into WindVelocity.",
     ""},
    {"Theta", "Kept with the wind and written back, but not used: set WindVelocity.", "degrees", "90",
     "Any number; it changes nothing.", "", ""},
    {"Phi", "Kept with the wind and written back, but not used: set WindVelocity.", "degrees", "0",
     "Any number; it changes nothing.", "", ""},
    {"Influence/VisCosity",
     "The viscosity of the air, the drag's linear term 6 pi VisCosity (the name is spelt so).",
     "pascal seconds, for a scene in metres", "0.000018 (air)",
     "Any number; against the Density term it hardly matters unless particles move almost with the wind.",
     "The library writes it with six decimals, so a viscosity below 0.0000005 is written, and read back, as 0.",
     ""},
    {"Influence/Density",
     "The density of the air, the drag's quadratic term 0.2 pi Density |v - w|: raise it, or the particles' "
     "Radius, to make them follow the wind sooner.",
     "kilograms per cubic metre, for a scene in metres", "1.2929 (air)", "Any number; 0 leaves only the viscosity.",
     "", ""},
    {"Influence/RandomWind",
     "Gusts: each frame a new wind velocity is drawn from the speed and angle ranges, the same for all particles "
     "of the system, and each live particle is dragged towards it as by a WindInfluence.",
     "", "", "",
     "The gust's force on a particle younger than PowerTime grows with its age, from 0 at birth to full at "
     "PowerTime (one younger than a microsecond feels the full force).\n"
     "Each draw takes one of 1,000 even steps from Start up to Start + 0.999 x (End - Start). With the defaults "
     "(speed 1, theta 0 to 180, phi 0 to 360) each gust may point anywhere, so particles jitter; narrow angle "
     "ranges give a wind that gusts one way. A gust is drawn per frame, so the jitter follows the frame rate.",
     "<Influence>\n"
     "  <InfluenceType>RandomWind</InfluenceType>\n"
     "  <SpeedStart>0.5</SpeedStart>\n"
     "  <SpeedEnd>1.5</SpeedEnd>\n"
     "  <ThetaStart>80</ThetaStart>\n"
     "  <ThetaEnd>100</ThetaEnd>\n"
     "  <PhiStart>-30</PhiStart>\n"
     "  <PhiEnd>30</PhiEnd>\n"
     "  <PowerTime>0.5</PowerTime>\n"
     "</Influence>"},
    {"SpeedStart", "The lowest gust speed.", "scene units per second", "1",
     "Any number; an End below the Start draws downwards from the Start.", "", ""},
    {"SpeedEnd", "The upper end of the gust speed; it is never drawn itself.", "scene units per second", "1",
     "Any number.", "", ""},
    {"ThetaStart", "The lower end of the gust's polar angle, measured from +Y.", "degrees", "0",
     "Any number: 0 straight up, 90 level, 180 straight down.", "", ""},
    {"ThetaEnd", "The upper end of the gust's polar angle; it is never drawn itself.", "degrees", "180",
     "Any number.", "", ""},
    {"PhiStart", "The lower end of the gust's azimuth around Y, from +X towards +Z.", "degrees", "0",
     "Any number.", "", ""},
    {"PhiEnd", "The upper end of the gust's azimuth; it is never drawn itself.", "degrees", "360",
     "Any number.", "", ""},
    {"PowerTime", "How long a new particle takes to feel a gust's full force.", "seconds of the particle's age",
     "0.5", "Any number; 0 or less gives every particle the full force at once.", "", ""},

    // How the host draws a system.
    {"ParticleType",
     "How the host blends the particles: GLOW_PARTICLE adds their light (fire, sparks), DARK_PARTICLE draws them "
     "over what lies behind (smoke, rain).",
     "", "GLOW_PARTICLE",
     "GLOW_PARTICLE; DARK_PARTICLE, which any other text gives too, letter case included.",
     "A hint for the host; the library only stores it. The preview adds the light of GLOW_PARTICLE systems and "
     "blends DARK_PARTICLE particles farthest first.",
     ""},
    {"TexturePath", "The image the host draws on each particle's quad.", "a path",
     "empty: no texture (the preview draws a soft round sprite)", "Any text.",
     "The library only stores it (GetTexturePath) and flags it changed (GetTextureDirty); the host resolves and "
     "loads it. The preview looks a relative path up next to the document first, then as given, then as an "
     "entry of particle.sc.",
     ""},
    {"ColorImagePath",
     "An image whose first row is the particles' colour over their life, a colour ramp: left at birth, right at "
     "death.",
     "a path", "empty: no image; the colour comes from the ColorRange", "Any text.",
     "The library reads the path as a file when such a file exists (a relative path from the host's working "
     "folder), otherwise as an entry of particle.sc under exactly this name (at most 1 MiB unpacked). PNG, JPEG, "
     "BMP, GIF, TGA, PSD, PNM and HDR images decode. When the image loads, it replaces ColorRangeStart and "
     "ColorRangeEnd; when it does not, the particles quietly take the ColorRange (see colour). The preview looks "
     "a relative path up next to the document first.",
     ""},
    {"ParticleWidth", "The width of each particle's quad, before it is scaled by the particle's size.",
     "scene units", "2", "Any number.",
     "The library only stores it; the host draws the quad, facing the camera in the preview.", ""},
    {"ParticleHeight", "The height of each particle's quad, before it is scaled by the particle's size.",
     "scene units", "2", "Any number.", "", ""},
};

#undef NBPS_AT_ORIGIN

const Section kSections[] = {
    {"order", "Order and defaults",
     "Every element reads its children in the order this reference lists them, each search continuing after the "
     "child found last. A child out of that order, a misspelt or misplaced one, a second one where only one is "
     "read, or a type word in the wrong letter case is skipped without a word, and what it would set keeps its "
     "default. nbparticle check reports each of them.\n"
     "Every child may be left out: what it sets then keeps the default given with it. A strategy element "
     "(Emitter, Counter, Placer, Shooter, Influence) names its class in its first child (EmitterType, "
     "CounterType, PlacerType, ShooterType, InfluenceType); without a known class word the element is not read."},
    {"coordinates", "Coordinates",
     "Positions and velocities are in the particle system's own coordinates, in scene units: the host's, metres "
     "in a geographic scene. The host places the effect in its scene; the library neither moves nor turns it.\n"
     "Y is up. The shooters' polar angle is measured from +Y, the screw placer climbs along +Y, the region "
     "placer's disc lies in the x-z plane, and gravity is AccelDirection (0, -1, 0). The polygon placer alone "
     "works in Earth-centred metres (see Placer/PolygonPlacer).\n"
     "A particle that no placer positions starts at the origin (0, 0, 0).\n"
     "A particle system's bounding box, and the effect's box that nbparticle simulate prints, only grow: they "
     "cover every position a particle has reached since the effect was read, also after it died."},
    {"angles", "Angles",
     "Angles in the document are degrees. Theta is the polar angle from +Y: 0 straight up, 90 level, 180 "
     "straight down. Phi is the azimuth around Y, from +X (0) towards +Z (90). Theta and phi give the direction "
     "(sin theta cos phi, cos theta, sin theta sin phi).\n"
     "The screw placer's angle also starts at +X and turns towards +Z. The longitudes and latitudes a host gives "
     "a polygon placer are degrees too."},
    {"units", "Units",
     "- lengths and positions: scene units (Position, Radius, ParticleWidth, ParticleHeight)\n"
     "- speeds: scene units per second (SpeedRange, WindVelocity, SpeedStart)\n"
     "- accelerations: scene units per second squared (AccelSize times the length of AccelDirection)\n"
     "- times: seconds (LifeTime, RoundTime, PowerTime); milliseconds only in the library's GetLifeTime and "
     "SetLifeTime\n"
     "- angles: degrees\n"
     "- sizes: factors on ParticleWidth and ParticleHeight\n"
     "- alpha and colour components: 0 to 1\n"
     "- counts: particles per second (CommonCounter) or per burst (FadeCounter)\n"
     "- air: VisCosity in pascal seconds and Density in kilograms per cubic metre for a scene in metres"},
    {"time", "Time",
     "The host calls Update(dt) and AfterRender(dt) once a frame, dt being the frame's time step in seconds. "
     "Update lets each emitter make its new particles, then ages and moves every live particle by dt; the host "
     "draws; AfterRender applies the influences, whose changes show in the next frame.\n"
     "Several things follow the frame rate: the common counter makes at least one particle a frame and rounds "
     "each frame's count (see Counter/CommonCounter); the screw placer's clock advances once per particle; the "
     "random wind draws a gust per frame. The preview runs at 30 frames a second unless --fps says otherwise."},
    {"colour", "Colour",
     "Without a colour image, a particle's colour (red, green, blue, A, each nominally 0 to 1) moves in a "
     "straight line from ColorRangeStart to ColorRangeEnd by its age over LifeTime, taken at the start of each "
     "step, and its alpha from AlphaRangeStart to AlphaRangeEnd.\n"
     "With a colour image (ColorImagePath) the colour comes from the image and the ColorRange is ignored; the "
     "alpha still comes from the alpha range. Only the image's first row is used, decoded to 32-bit RGBA (an "
     "image without alpha gets A 255). Each frame the particle's age over LifeTime, taken after the step and "
     "held within 0 to 1, picks a point along the row, left at birth and right at death, blending the two "
     "nearest pixels; each byte over 255 gives red, green, blue and A. An image 256 pixels wide and 1 high is "
     "enough.\n"
     "The colour's A, from the range or the image, is part of the colour; the particle's opacity is its alpha. "
     "The preview multiplies the two. The library passes colour and alpha to the host unclamped."},
    {"numbers", "Numbers",
     "Numbers are element text, decimal with a point (1.5), an optional sign and an optional exponent (2.5e-3). "
     "The readers take the number the text starts with, as C's atof does: 1,5 reads as 1, 3abc as 3, 0x10 as 16 "
     "(hexadecimal), and an empty or non-numeric text as 0. A value that is not finite (inf, nan) or whose "
     "magnitude exceeds 3.4e38 (1e36 for the size and alpha ranges) reads as 0.\n"
     "Whole numbers (NumPerSecond) read like atoi: 12.7 is 12, 1e3 is 1, and a number beyond 2147483647 or "
     "-2147483648 stops there.\n"
     "Numbers are kept in single precision (about seven digits) unless their element says double. The library "
     "writes them with six decimals. The C library reads numbers in the host's locale: a host that switched its "
     "numeric locale to one with a decimal comma reads 1.5 as 1.\n"
     "nbparticle check reports every number text that does not read as written, and says what it reads as."},
};

const char* const kSample = "<QuenmarParticleEffect>\n"
                            "  <EffectType>FountainEffect</EffectType>\n"
                            "  <ParticleSystem>\n"
                            "    <Emitter>\n"
                            "      <EmitterType>CommonEmitter</EmitterType>\n"
                            "      <Counter><CounterType>CommonCounter</CounterType><NumPerSecond>240</NumPerSecond></Counter>\n"
                            "      <Placer><PlacerType>PointPlacer</PlacerType></Placer>\n"
                            "      <Shooter>\n"
                            "        <ShooterType>RadialShooter</ShooterType>\n"
                            "        <SpeedRangeStart>4</SpeedRangeStart><SpeedRangeEnd>5</SpeedRangeEnd>\n"
                            "        <ThetaRangeStart>0</ThetaRangeStart><ThetaRangeEnd>15</ThetaRangeEnd>\n"
                            "      </Shooter>\n"
                            "      <ParticleTemple><SizeRangeStart>1</SizeRangeStart><SizeRangeEnd>0.3</SizeRangeEnd>"
                            "<LifeTime>1.2</LifeTime></ParticleTemple>\n"
                            "    </Emitter>\n"
                            "    <Influence>\n"
                            "      <InfluenceType>AccelInfluence</InfluenceType>\n"
                            "      <Accel><AccelDirection:X>0</AccelDirection:X><AccelDirection:Y>-1</AccelDirection:Y>"
                            "<AccelDirection:Z>0</AccelDirection:Z><AccelSize>9.8</AccelSize></Accel>\n"
                            "    </Influence>\n"
                            "    <ParticleType>GLOW_PARTICLE</ParticleType>\n"
                            "    <ParticleWidth>0.2</ParticleWidth>\n"
                            "    <ParticleHeight>0.2</ParticleHeight>\n"
                            "  </ParticleSystem>\n"
                            "</QuenmarParticleEffect>\n";

} // namespace

const DocumentText::Entry* DocumentText::Entries(size_t& count)
{
    count = sizeof kEntries / sizeof kEntries[0];
    return kEntries;
}

const char* DocumentText::Sample() { return kSample; }

const DocumentText::Section* DocumentText::Sections(size_t& count)
{
    count = sizeof kSections / sizeof kSections[0];
    return kSections;
}
