#pragma once

#include <QString>
#include <QStringList>
#include <array>

// What the program was asked to do from its command line.
struct CommandLine
{
    enum Mode { Editor, Render, Check, Version, Help, Invalid };
    Mode mode = Editor;
    QString scene;   // the scene file; empty for the editor without one
    QString output;  // --render: the PNG to write
    int size = 425;  // --render: width and height in pixels, the window's view by default
    double zoom = 0; // --render: the number the window's "Zoom:" label shows
    std::array<double, 3> camera{0, 0, 0}; // --render: the camera offsets of the view's arrows
    double light = 0.3;                    // --render: the level the "Luz:" label shows
    QString error;                         // Invalid: what is wrong, in Portuguese
};

// Reads the arguments (the program's name first). Options are written "--render" or "-render";
// numbers take a point as decimal separator. Qt's own options (-style, -session, ...) are
// accepted and left to Qt.
CommandLine parseCommandLine(const QStringList& arguments);

// The text --help prints, in Portuguese.
QString commandLineHelp();
