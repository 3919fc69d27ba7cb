#pragma once

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QOpenGLFramebufferObject;

// A GL context of Qt's default format, current on a framebuffer of the given size with a depth
// buffer, for drawing without a window (tests and benchmarks, under X).
class OffscreenGL
{
public:
    explicit OffscreenGL(int width = 425, int height = 425);
    ~OffscreenGL();

    bool isValid() const { return m_valid; }
    QOpenGLContext& context() { return m_context; }
    // The framebuffer's pixels, top row first.
    QImage image() const;

private:
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    bool m_valid = false;
};

// A vertex as feedback mode gives it: window coordinates, and its colour when asked for.
struct FeedbackVertex
{
    float x = 0, y = 0, z = 0;
    float r = 0, g = 0, b = 0, a = 0;
};

// What one drawing produced after transformation and clipping. Polygons of other than three
// vertices are counted apart: Mesa hands quads back as two triangles each.
struct Feedback
{
    std::vector<std::array<FeedbackVertex, 3>> triangles;
    std::vector<std::array<FeedbackVertex, 2>> lines;
    int otherPolygons = 0;
    int points = 0;
    bool overflowed = false;

    size_t primitiveCount() const
    {
        return triangles.size() + lines.size() + size_t(otherPolygons + points);
    }
    std::vector<FeedbackVertex> vertices() const;
};

// Runs `draw` in feedback mode and returns what reached the window. With `withColour` each vertex
// carries its colour as well.
Feedback captureFeedback(const std::function<void()>& draw, bool withColour = false);
