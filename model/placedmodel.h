#pragma once

#include <string>

// A model record of the scene as the renderer reads it: the model file's name as the record
// stores it, where the model stands and the record's colour. Drawing uses the name and the pose
// only, since a model brings its own materials; the colour comes along as the record gives it.
struct PlacedModel
{
    std::string fileName;   // "Arquivo" exactly as stored
    bool useColour = false; // "UsaCor"
    double x = 0, y = 0, z = 0;
    double sx = 1, sy = 1, sz = 1;
    double angle = 0; // degrees about the axis
    double axisX = 0, axisY = 0, axisZ = 1;
    double r = 1, g = 1, b = 1, a = 0; // "R", "G", "B", "A" divided by 255
};
