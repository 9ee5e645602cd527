#include "ifx/particlequad.h"

#include "engine/render/camera.h"
#include "engine/render/texture.h"
#include "ifx/iparticleemitterdata.h"
#include "ifx/particle.h"
#include "ifx/particlevertexstream.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr f32 RADIANS = 0.017453292f;
constexpr f32 QUARTER_TURN_HALF = 45.0f;

TVector Axis(f32 x, f32 y, f32 z)
{
    return TVector(x, y, z, 0.0f);
}

// v scaled to length 1 unless it is shorter than 1e-30.
TVector Normalised(const TVector& v)
{
    const f32 length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length < VectorMinimumLength ? v : Axis(v.x / length, v.y / length, v.z / length);
}

// The frame whose first (or second) axis is `kept`, the other made perpendicular to it from
// `other`, the third their cross product.
TParticleQuadWriter::TFrame Perpendicular(const TVector& kept, const TVector& other, bool keptFirst)
{
    const TVector k = Normalised(kept);
    const f32 d = k.x * other.x + k.y * other.y + k.z * other.z;
    const TVector o = Normalised(Axis(other.x - d * k.x, other.y - d * k.y, other.z - d * k.z));
    TParticleQuadWriter::TFrame frame;
    frame.aAxis[0] = keptFirst ? k : o;
    frame.aAxis[1] = keptFirst ? o : k;
    frame.aAxis[2] = TVector::Cross(frame.aAxis[0], frame.aAxis[1]);
    frame.aAxis[2].w = 0.0f;
    return frame;
}

TParticleQuadWriter::TFrame Rows(const TMatrix& m)
{
    return {{m.aRow[0], m.aRow[1], m.aRow[2]}};
}

// Not a number gives 0, as does anything below 0.
u8 Channel(f32 value)
{
    const f32 clamped = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
    return static_cast<u8>(clamped * 255.0f + 0.5f);
}

void Lerp(const f32* a, const f32* b, f32 t, f32* out)
{
    for (u32 i = 0; i < 4; ++i)
        out[i] = a[i] + (b[i] - a[i]) * t;
}
} // namespace

TParticleQuadWriter::TParticleQuadWriter(const TIParticleEmitterData& data, const TMatrix& node,
                                         const TCamera& camera, const TTexture* colour)
    : m_Data(data), m_Node(node), m_Camera(camera.m_Placement), m_bPerParticle(0)
{
    m_Centre = node.TransformPoint(data.m_LocalMatrix.Translation());
    switch (data.m_nQuadOrientation)
    {
    case PARTICLE_ALONG_DIRECTION:
    case PARTICLE_ALONG_VIEW_RAY:
        m_bPerParticle = 1;
        break;
    case PARTICLE_NODE_FRAME:
        m_Shared = Rows(node);
        break;
    case PARTICLE_WORLD_FRAME:
        m_Shared = {{Axis(1, 0, 0), Axis(0, 1, 0), Axis(0, 0, 1)}};
        break;
    case PARTICLE_HORIZONTAL:
        m_Shared = {{Axis(1, 0, 0), Axis(0, 0, 1), Axis(0, 1, 0)}};
        break;
    case PARTICLE_VERTICAL:
        m_Shared = {{Axis(0, 0, 1), Axis(0, 1, 0), Axis(1, 0, 0)}};
        break;
    case PARTICLE_CAMERA_X_NODE_Y:
        m_Shared = Perpendicular(m_Camera.aRow[0], node.aRow[1], true);
        break;
    case PARTICLE_NODE_Z_CAMERA_X:
        m_Shared = Perpendicular(node.aRow[2], m_Camera.aRow[0], false);
        break;
    case PARTICLE_CAMERA_X_NODE_X:
        m_Shared = Perpendicular(m_Camera.aRow[0], node.aRow[0], true);
        break;
    default:
        // Facing the camera, as are modes past 9, which name no frame.
        m_Shared = Rows(m_Camera);
        break;
    }
    // Half a texel into the texture, on all four sides.
    const f32 half = colour && colour->m_nWidth > 0 ? 0.5f / static_cast<f32>(colour->m_nWidth) : 0.0f;
    for (u32 i = 0; i < 4; ++i)
        m_aRectangle[i] = data.aTextureRect[i] + half;
}

TParticleQuadWriter::TFrame TParticleQuadWriter::MakeFrame(const TParticle& particle,
                                                           const TVector& position) const
{
    if (!m_bPerParticle)
        return m_Shared;
    const TVector first = m_Data.m_nQuadOrientation == PARTICLE_ALONG_DIRECTION
                              ? Axis(particle.aDirection[0], particle.aDirection[1], particle.aDirection[2])
                              : Axis(position.x - m_Camera.aRow[3].x, position.y - m_Camera.aRow[3].y,
                                     position.z - m_Camera.aRow[3].z);
    return Perpendicular(first, m_Camera.aRow[1], true);
}

f32 TParticleQuadWriter::SizeAt(const TParticle& p)
{
    const f32 age = std::clamp(p.fAge, 0.0f, 1.0f);
    const f32 middle = p.fMiddleAge;
    if (age <= middle)
        return p.aSize[0] + (p.aSize[1] - p.aSize[0]) * (middle > 0.0f ? age / middle : 1.0f);
    return p.aSize[1] + (p.aSize[2] - p.aSize[1]) * ((age - middle) / (1.0f - middle));
}

u32 TParticleQuadWriter::ColourAt(f32 age) const
{
    age = std::clamp(age, 0.0f, 1.0f);
    const f32 first = m_Data.aColorKeyAge[0], second = m_Data.aColorKeyAge[1];
    f32 colour[4];
    if (age <= first)
        Lerp(m_Data.aColorKey[0], m_Data.aColorKey[1], first > 0.0f ? age / first : 1.0f, colour);
    else if (age <= second)
        Lerp(m_Data.aColorKey[1], m_Data.aColorKey[2],
             second > first ? (age - first) / (second - first) : 1.0f, colour);
    else
        Lerp(m_Data.aColorKey[2], m_Data.aColorKey[3], (age - second) / (1.0f - second), colour);
    const f32* m = m_Data.aColorMultiplier;
    return static_cast<u32>(Channel(colour[3] * m[3])) << 24 |
           static_cast<u32>(Channel(colour[0] * m[0])) << 16 |
           static_cast<u32>(Channel(colour[1] * m[1])) << 8 | Channel(colour[2] * m[2]);
}

void TParticleQuadWriter::FrameRectangle(f32 frame, f32* rectangle) const
{
    std::copy(m_aRectangle, m_aRectangle + 4, rectangle);
    const u32 frames = m_Data.m_nSheetFrames;
    if (frames < 2)
        return;
    // The layout byte is the sheet's column count; 0 lays every frame in one row.
    const u32 columns = m_Data.m_nSheetColumns ? m_Data.m_nSheetColumns : frames;
    const u32 rows = (frames + columns - 1) / columns;
    const f32 last = static_cast<f32>(frames - 1);
    const u32 index = static_cast<u32>(frame > 0.0f ? (frame < last ? frame : last) : 0.0f);
    const f32 width = (m_aRectangle[2] - m_aRectangle[0]) / static_cast<f32>(columns);
    const f32 height = (m_aRectangle[3] - m_aRectangle[1]) / static_cast<f32>(rows);
    rectangle[0] = m_aRectangle[0] + width * static_cast<f32>(index % columns);
    rectangle[1] = m_aRectangle[1] + height * static_cast<f32>(index / columns);
    rectangle[2] = rectangle[0] + width;
    rectangle[3] = rectangle[1] + height;
}

void TParticleQuadWriter::Write(const TParticle& p, TParticleVertex* quad) const
{
    TVector position(p.aPosition[0], p.aPosition[1], p.aPosition[2], 1.0f);
    if (m_Data.m_nFlags & PARTICLE_LOCAL_SPACE)
        position = m_Node.TransformPoint(position);
    const TFrame frame = MakeFrame(p, position);
    const f32 angle =
        (p.aAngle[0] + (m_Data.m_nQuadRotationMode == PARTICLE_ROTATION_PLUS_45 ? QUARTER_TURN_HALF : 0.0f)) *
        RADIANS;
    const f32 c = std::cos(angle), s = std::sin(angle);
    const TVector& a = frame.aAxis[0];
    const TVector& b = frame.aAxis[1];
    const TVector r1 = Axis(c * a.x + s * b.x, c * a.y + s * b.y, c * a.z + s * b.z);
    const TVector r2 = Axis(c * b.x - s * a.x, c * b.y - s * a.y, c * b.z - s * a.z);
    const f32 half = p.aScale[0] * SizeAt(p) * 0.5f;
    const f32 w = m_Data.aScale[0].fBase, h = m_Data.aScale[1].fBase;
    const TVector d1 =
        Axis(half * (h * r1.x + w * r2.x), half * (h * r1.y + w * r2.y), half * (h * r1.z + w * r2.z));
    const TVector d2 =
        Axis(half * (h * r1.x - w * r2.x), half * (h * r1.y - w * r2.y), half * (h * r1.z - w * r2.z));
    f32 rectangle[4];
    FrameRectangle(p.fFrame, rectangle);
    const u32 colour = ColourAt(p.fAge);

    // The corners: first-axis side top and bottom, then the other side bottom and top.
    const TVector corner[4] = {Axis(position.x + d1.x, position.y + d1.y, position.z + d1.z),
                               Axis(position.x + d2.x, position.y + d2.y, position.z + d2.z),
                               Axis(position.x - d1.x, position.y - d1.y, position.z - d1.z),
                               Axis(position.x - d2.x, position.y - d2.y, position.z - d2.z)};
    const f32 uv[4][2] = {{rectangle[2], rectangle[1]},
                          {rectangle[2], rectangle[3]},
                          {rectangle[0], rectangle[3]},
                          {rectangle[0], rectangle[1]}};
    constexpr u32 ORDER[PARTICLE_QUAD_VERTICES] = {0, 1, 2, 0, 2, 3};
    for (u32 v = 0; v < PARTICLE_QUAD_VERTICES; ++v)
    {
        TParticleVertex& out = quad[v];
        const u32 k = ORDER[v];
        out.aPosition[0] = corner[k].x;
        out.aPosition[1] = corner[k].y;
        out.aPosition[2] = corner[k].z;
        out.aCentre[0] = m_Centre.x;
        out.aCentre[1] = m_Centre.y;
        out.aCentre[2] = m_Centre.z;
        const TVector& n = frame.aAxis[2];
        out.aNormal[0] = n.x;
        out.aNormal[1] = n.y;
        out.aNormal[2] = n.z;
        out.aTangent[0] = r1.x;
        out.aTangent[1] = r1.y;
        out.aTangent[2] = r1.z;
        out.aBinormal[0] = r2.x;
        out.aBinormal[1] = r2.y;
        out.aBinormal[2] = r2.z;
        out.aTexCoord[0] = uv[k][0];
        out.aTexCoord[1] = uv[k][1];
        out.nColour = colour;
    }
}
