#include "modelgen.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void appendNumber(std::string& out, double value)
{
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
}

void appendInteger(std::string& out, long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendLine(std::string& out, const char* keyword, double x, double y, double z)
{
    out += keyword;
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += ' ';
    appendNumber(out, z);
    out += '\n';
}

void appendTriangle(std::string& out, long a, long b, long c)
{
    out += "f ";
    for (long index : {a, b, c}) {
        appendInteger(out, index);
        out += "//";
        appendInteger(out, index);
        out += index == c ? '\n' : ' ';
    }
}

} // namespace

std::string sphereModel(int rings, int segments, double radius)
{
    const double pi = std::acos(-1.0);
    std::string out;
    out.reserve(size_t(rings) * size_t(segments) * 72);
    out += "# generated sphere\ng sphere\n";
    for (int i = 0; i <= rings; ++i) {
        for (int j = 0; j <= segments; ++j) {
            const double theta = pi * i / rings, phi = 2 * pi * j / segments;
            const double nx = std::sin(theta) * std::cos(phi), ny = std::sin(theta) * std::sin(phi);
            const double nz = std::cos(theta);
            appendLine(out, "v ", nx * radius, ny * radius, nz * radius);
            appendLine(out, "vn ", nx, ny, nz);
        }
    }
    for (long i = 0; i < rings; ++i) {
        for (long j = 0; j < segments; ++j) {
            const long a = i * (segments + 1) + j + 1, b = a + 1;
            const long c = a + segments + 1, d = c + 1;
            appendTriangle(out, a, b, d);
            appendTriangle(out, a, d, c);
        }
    }
    return out;
}

void writeFileOrDie(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}
