#include "glsupport.h"

#include <GL/glu.h>

QString glErrorText(GLenum code)
{
    if (const GLubyte* text = gluErrorString(code))
        return QString::fromLatin1(reinterpret_cast<const char*>(text));
    return QStringLiteral("OpenGL error 0x%1").arg(code, 4, 16, QLatin1Char('0'));
}

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

void popMatrices(GLenum mode, GLint depth)
{
    glMatrixMode(mode);
    for (GLint d =
             integer(mode == GL_MODELVIEW ? GL_MODELVIEW_STACK_DEPTH : GL_PROJECTION_STACK_DEPTH);
         d > depth; --d)
        glPopMatrix();
}

} // namespace

GLStackMark::GLStackMark()
    : m_matrixMode(integer(GL_MATRIX_MODE)), m_modelviewDepth(integer(GL_MODELVIEW_STACK_DEPTH)),
      m_projectionDepth(integer(GL_PROJECTION_STACK_DEPTH)),
      m_attribDepth(integer(GL_ATTRIB_STACK_DEPTH)),
      m_clientAttribDepth(integer(GL_CLIENT_ATTRIB_STACK_DEPTH))
{}

void GLStackMark::restore() const
{
    for (GLint d = integer(GL_ATTRIB_STACK_DEPTH); d > m_attribDepth; --d)
        glPopAttrib();
    for (GLint d = integer(GL_CLIENT_ATTRIB_STACK_DEPTH); d > m_clientAttribDepth; --d)
        glPopClientAttrib();
    popMatrices(GL_MODELVIEW, m_modelviewDepth);
    popMatrices(GL_PROJECTION, m_projectionDepth);
    glMatrixMode(GLenum(m_matrixMode));
}
