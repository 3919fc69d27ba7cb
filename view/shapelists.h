#pragma once

#include <GL/gl.h>
#include <QtGlobal>
#include <map>
#include <utility>

struct GLUquadric;

// The fixed geometry of the shapes compiled into display lists of one GL context: GLU's sphere and
// capsule tessellations for each radius (and length) in use, and the cube's six 10 x 10 faces. A
// list replays exactly the vertices and normals that drawing directly sends, so the picture stays
// the same; what it saves is the tessellation, the quadric and the calls on every frame.
//
// Lists are compiled on first use in the context current at that moment, so one ShapeLists serves
// one context. Sizes unused for a whole frame make room for new ones once a kind holds maxLists;
// if a single frame uses more sizes than that, the extra ones are drawn directly, uncompiled, and
// so is everything drawn in feedback or selection mode.
class ShapeLists
{
public:
    static constexpr size_t maxLists = 1024;

    ShapeLists() = default;
    // Frees the quadric only; the lists belong to the context (see release()).
    ~ShapeLists();
    ShapeLists(const ShapeLists&) = delete;
    ShapeLists& operator=(const ShapeLists&) = delete;

    // GLU's sphere of `radius`, 10 slices and 10 stacks, poles on the local z axis.
    void sphere(double radius);
    // Two such spheres joined by a cylinder along +z from 0 to `length`; leaves the modelview
    // matrix moved by `length` along z, as drawing it directly does.
    void capsule(double radius, double length);
    // The unit cube's six faces of 10 x 10 quads; leaves the matrix turned as the faces left it.
    void cube();

    // Starts a frame: sizes not drawn since the previous call may then be dropped for room.
    void beginFrame() { ++m_frame; }
    // Deletes every list. Needs the lists' context current.
    void release();
    // Forgets every list without deleting it, for when its context is already gone.
    void forget();

private:
    struct Entry
    {
        GLuint list = 0;
        quint64 lastUsed = 0;
    };

    template <typename Key, typename Draw>
    void call(std::map<Key, Entry>& cache, const Key& key, Draw draw);
    template <typename Key>
    void dropUnused(std::map<Key, Entry>& cache);
    GLUquadric* quadric();

    std::map<quint64, Entry> m_spheres;
    std::map<std::pair<quint64, quint64>, Entry> m_capsules;
    GLuint m_cube = 0;
    GLUquadric* m_quadric = nullptr;
    quint64 m_frame = 0;
};
