#pragma once

#include <QImage>
#include <QString>
#include <memory>

// An OpenGL context of the compatibility kind, current on a framebuffer of its own, made without
// any window system: through EGL on Mesa's surfaceless platform (any machine with Mesa, with or
// without a display), or on EGL's default display where that platform is missing. For drawing
// pictures from the command line, where no window is shown and none may be needed.
class HeadlessGL
{
public:
    // Makes the context and a width x height framebuffer with colour and a 24-bit depth buffer
    // (the depth the window's own framebuffer has), current until destruction. On failure
    // isValid() is false and errorString() says which step failed.
    HeadlessGL(int width, int height);
    ~HeadlessGL();
    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;

    bool isValid() const;
    QString errorString() const;
    // The framebuffer's pixels, top row first, made opaque (see opaque()).
    QImage image() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// RGBA bytes as read from a framebuffer, with every alpha byte set to 255 and the image marked
// RGBX: a frame leaves a record's material alpha in the framebuffer, which is not part of what is
// seen.
QImage opaque(QImage rgba);
