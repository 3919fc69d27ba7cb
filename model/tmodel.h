#pragma once

#include "modelmemory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The in-memory form of a Wavefront model and its materials. Every list is 1-based: slot 0 exists
// (zero-filled) as soon as the list has an item, so the indices of the file address it directly,
// and an empty list has no slot at all.

using TVector2 = std::array<float, 2>;
using TVector3 = std::array<float, 3>;

// One corner of a face: absolute 1-based indices into the model's lists, 0 where the corner has
// none. A negative (relative) index of the file is turned into the absolute one as it is read, and
// one that points before the first item becomes 0.
struct TCorner
{
    int32_t Vertex = 0;
    int32_t TexCoord = 0;
    int32_t Normal = 0;
};

// A face: its corners are the Count entries of its group's Corners from First, in file order.
// Only the first TexCoordCount corners carry a texture-coordinate index (the v/vt and v/vt/vn
// forms) and only the first NormalCount a normal index (v/vt/vn and v//vn); a face of the plain
// "v" form has both 0.
struct TFace
{
    int32_t Count = 0;
    int32_t TexCoordCount = 0;
    int32_t NormalCount = 0;
    int32_t First = 0;
};

// A group of faces drawn with one material; Material 0 (the unused slot) until a selection line
// picks one. Corners holds the corners of all its faces, face after face (0-based).
struct TGroup
{
    std::string Name;
    int32_t FaceCount = 0;
    ModelList<TFace> Faces;
    int32_t Material = 0;
    ModelList<TCorner> Corners;
};

// A material of a library: colours as read, shininess 60 unless "Ns" says otherwise; Texture is an
// OpenGL texture name, which no reader line sets (always 0).
struct TMaterial
{
    std::string Name;
    TVector3 Ambient{};
    TVector3 Diffuse{};
    TVector3 Specular{};
    float Shininess = 0;
    uint32_t Texture = 0;
};

// A model as read: Dir keeps its trailing separator ("" when the path has none); the counts are
// the numbers of items in the 1-based lists (GroupCount includes the implicit first group that
// faces before any "g" line go into). The bounds are filled by ComputeModelBounds.
struct TModel
{
    std::string Dir;
    std::string FileName;
    int32_t VertexCount = 0;
    int32_t NormalCount = 0;
    int32_t TexCoordCount = 0;
    int32_t GroupCount = 0;
    int32_t MaterialCount = 0;
    ModelList<TVector3> Vertices;
    ModelList<TVector3> Normals;
    ModelList<TVector2> TexCoords;
    std::vector<TGroup> Groups;
    std::vector<TMaterial> Materials;
    TVector3 BoundsMin{};
    TVector3 Center{};
    TVector3 BoundsMax{};
    double Extent = 0;
};
