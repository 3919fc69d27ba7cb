#include "modeldraw.h"

#include <GL/gl.h>
#include <algorithm>

namespace {

// Items 1 .. count of a 1-based list that really exist, whatever the counts claim.
template <typename List>
int32_t usableCount(const List& list, int32_t count)
{
    return std::max(0, std::min(count, int32_t(list.size()) - 1));
}

bool inList(int32_t index, int32_t count)
{
    return index >= 1 && index <= count;
}

void applyMaterial(const TMaterial& material)
{
    const auto withAlpha = [](const TVector3& colour) {
        return std::array<GLfloat, 4>{colour[0], colour[1], colour[2], 1.0f};
    };
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, withAlpha(material.Diffuse).data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, withAlpha(material.Specular).data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, withAlpha(material.Ambient).data());
    // Libraries write "Ns" up to 1000; OpenGL refuses anything outside 0 .. 128 and would leave
    // the previous shininess and a pending error behind.
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.Shininess, 0.0f, 128.0f));
}

void applyTexture(const TMaterial& material)
{
    if (material.Texture != 0) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, material.Texture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

struct Limits
{
    int32_t vertices;
    int32_t normals; // 0: the model sends no normals
};

bool isDrawable(const TGroup& group, const TFace& face, const Limits& limits)
{
    if (face.Count < 1 || face.First < 0 ||
        size_t(face.First) + size_t(face.Count) > group.Corners.size())
        return false;
    const int32_t withNormal = std::min(face.NormalCount, face.Count);
    for (int32_t c = 0; c < face.Count; ++c) {
        const TCorner& corner = group.Corners[size_t(face.First + c)];
        if (!inList(corner.Vertex, limits.vertices))
            return false;
        if (limits.normals > 0 && c < withNormal && !inList(corner.Normal, limits.normals))
            return false;
    }
    return true;
}

GLenum modeOf(const TFace& face)
{
    return face.Count == 3 ? GL_TRIANGLES : face.Count == 4 ? GL_QUADS : GL_POLYGON;
}

void sendCorners(const TModel& model, const TGroup& group, const TFace& face, const Limits& limits)
{
    const int32_t withNormal = limits.normals > 0 ? std::min(face.NormalCount, face.Count) : 0;
    for (int32_t c = 0; c < face.Count; ++c) {
        const TCorner& corner = group.Corners[size_t(face.First + c)];
        // A corner without a normal index keeps the normal sent before it.
        if (c < withNormal)
            glNormal3fv(model.Normals[size_t(corner.Normal)].data());
        glVertex3fv(model.Vertices[size_t(corner.Vertex)].data());
    }
}

// The faces of a group; with joinRuns, consecutive faces of 3 (or of 4) corners share one
// begin-end.
void drawFaces(const TModel& model, const TGroup& group, const Limits& limits, bool joinRuns)
{
    const GLenum none = GL_POLYGON; // never left open
    GLenum open = none;
    const int32_t faces = usableCount(group.Faces, group.FaceCount);
    for (int32_t f = 1; f <= faces; ++f) {
        const TFace& face = group.Faces[size_t(f)];
        if (!isDrawable(group, face, limits))
            continue;
        const GLenum mode = modeOf(face);
        if (open != none && (mode != open || !joinRuns)) {
            glEnd();
            open = none;
        }
        if (open == none)
            glBegin(mode);
        sendCorners(model, group, face, limits);
        if (mode == GL_POLYGON)
            glEnd();
        else
            open = mode;
    }
    if (open != none)
        glEnd();
}

void drawModel(const TModel& model, bool joinRuns)
{
    const Limits limits{usableCount(model.Vertices, model.VertexCount),
                        usableCount(model.Normals, model.NormalCount)};
    const int32_t materials = usableCount(model.Materials, model.MaterialCount);
    const bool ownMaterials = SelectsMaterial(model);
    const int32_t groups = usableCount(model.Groups, model.GroupCount);
    for (int32_t g = 1; g <= groups; ++g) {
        const TGroup& group = model.Groups[size_t(g)];
        static const TMaterial none; // slot 0: black, shininess 0, no texture
        const TMaterial& material =
            inList(group.Material, materials) ? model.Materials[size_t(group.Material)] : none;
        if (ownMaterials)
            applyMaterial(material);
        applyTexture(material);
        drawFaces(model, group, limits, joinRuns);
    }
}

} // namespace

void ComputeModelBounds(TModel& model)
{
    model.BoundsMin = {0, 0, 0};
    model.Center = {0, 0, 0};
    model.BoundsMax = {0, 0, 0};
    const int32_t count = usableCount(model.Vertices, model.VertexCount);
    for (int32_t i = 1; i <= count; ++i) {
        const TVector3& vertex = model.Vertices[size_t(i)];
        for (int axis = 0; axis < 3; ++axis) {
            if (vertex[axis] < model.BoundsMin[axis])
                model.BoundsMin[axis] = vertex[axis];
            else if (vertex[axis] > model.BoundsMax[axis])
                model.BoundsMax[axis] = vertex[axis];
        }
    }
    double edge[3];
    for (int axis = 0; axis < 3; ++axis) {
        model.Center[axis] = float((double(model.BoundsMax[axis]) + model.BoundsMin[axis]) / 2.0);
        edge[axis] = double(model.BoundsMax[axis]) - model.BoundsMin[axis];
    }
    model.Extent = edge[1] >= edge[0] ? edge[1] : edge[0];
    if (edge[2] > model.Extent)
        model.Extent = edge[2];
}

bool SelectsMaterial(const TModel& model)
{
    const int32_t materials = usableCount(model.Materials, model.MaterialCount);
    const int32_t groups = usableCount(model.Groups, model.GroupCount);
    for (int32_t g = 1; g <= groups; ++g) {
        if (inList(model.Groups[size_t(g)].Material, materials))
            return true;
    }
    return false;
}

void DrawModel(const TModel& model)
{
    drawModel(model, false);
}

void DrawModelJoined(const TModel& model)
{
    drawModel(model, true);
}

void PlaceModel(const PlacedModel& model)
{
    glScalef(GLfloat(model.sx), GLfloat(model.sy), GLfloat(model.sz));
    glTranslatef(GLfloat(model.x), GLfloat(model.y), GLfloat(model.z));
    glRotatef(GLfloat(model.angle), GLfloat(model.axisX), GLfloat(model.axisY),
              GLfloat(model.axisZ));
}
