#pragma once

#include "error.h"

#include <GL/gl.h>
#include <QString>

// An OpenGL error turned into the error that stops a handler; kind "GLError".
class GLError : public Error
{
public:
    explicit GLError(const QString& message) : Error(message, "GLError") {}
};

// GLU's text for a GL error code ("invalid value"); codes GLU does not know read as
// "OpenGL error 0x0506" and so on. Needs no context.
QString glErrorText(GLenum code);

// The matrix mode and the depths of the matrix and attribute stacks, taken before drawing a frame
// so that a frame which ends in an error can give the next one the state it expects. Both the
// constructor and restore() need the context current and no glBegin open.
class GLStackMark
{
public:
    GLStackMark();

    // Pops every stack that is deeper than when marked and sets the marked matrix mode back. A
    // stack that is shallower than marked is left alone: nothing can be pushed back that was not
    // ours.
    void restore() const;

private:
    GLint m_matrixMode = 0;
    GLint m_modelviewDepth = 0;
    GLint m_projectionDepth = 0;
    GLint m_attribDepth = 0;
    GLint m_clientAttribDepth = 0;
};
