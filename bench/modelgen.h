#pragma once

#include <string>

// A sphere of the given radius around the origin as a Wavefront model: (rings + 1) x (segments + 1)
// "v" and "vn" lines and 2 x rings x segments triangles as "f v//vn" lines, numbers written as
// exporters write them ("0.123456"). About 70 bytes per triangle.
std::string sphereModel(int rings, int segments, double radius);

// Writes text to path; aborts the benchmark run when it cannot.
void writeFileOrDie(const std::string& path, const std::string& text);
