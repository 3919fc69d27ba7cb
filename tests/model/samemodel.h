#pragma once

#include "tmodel.h"

#include <cstring>

// Whether two reads gave the same model: every count, list, name and index, and every number
// bit for bit (so 0 and -0 differ). The bounds are not compared: readers do not fill them.
namespace samemodel {

template <typename List>
bool sameBits(const List& a, const List& b)
{
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

inline bool sameFaces(const TGroup& a, const TGroup& b)
{
    if (a.Faces.size() != b.Faces.size() || a.Corners.size() != b.Corners.size())
        return false;
    for (size_t f = 0; f < a.Faces.size(); ++f) {
        const TFace& x = a.Faces[f];
        const TFace& y = b.Faces[f];
        if (x.Count != y.Count || x.TexCoordCount != y.TexCoordCount ||
            x.NormalCount != y.NormalCount || x.First != y.First)
            return false;
    }
    for (size_t c = 0; c < a.Corners.size(); ++c) {
        const TCorner& x = a.Corners[c];
        const TCorner& y = b.Corners[c];
        if (x.Vertex != y.Vertex || x.TexCoord != y.TexCoord || x.Normal != y.Normal)
            return false;
    }
    return true;
}

inline bool sameMaterial(const TMaterial& a, const TMaterial& b)
{
    return a.Name == b.Name && a.Texture == b.Texture &&
           std::memcmp(&a.Shininess, &b.Shininess, sizeof a.Shininess) == 0 &&
           a.Ambient == b.Ambient && a.Diffuse == b.Diffuse && a.Specular == b.Specular;
}

} // namespace samemodel

inline bool sameModel(const TModel& a, const TModel& b)
{
    using namespace samemodel;
    if (a.Dir != b.Dir || a.FileName != b.FileName || a.VertexCount != b.VertexCount ||
        a.NormalCount != b.NormalCount || a.TexCoordCount != b.TexCoordCount ||
        a.GroupCount != b.GroupCount || a.MaterialCount != b.MaterialCount ||
        !sameBits(a.Vertices, b.Vertices) || !sameBits(a.Normals, b.Normals) ||
        !sameBits(a.TexCoords, b.TexCoords) || a.Groups.size() != b.Groups.size() ||
        a.Materials.size() != b.Materials.size())
        return false;
    for (size_t g = 0; g < a.Groups.size(); ++g) {
        const TGroup& x = a.Groups[g];
        const TGroup& y = b.Groups[g];
        if (x.Name != y.Name || x.FaceCount != y.FaceCount || x.Material != y.Material ||
            !sameFaces(x, y))
            return false;
    }
    for (size_t m = 0; m < a.Materials.size(); ++m) {
        if (!sameMaterial(a.Materials[m], b.Materials[m]))
            return false;
    }
    return true;
}
