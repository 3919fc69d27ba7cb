// Plain lines and plain decimals are read by a short way; it must give exactly what the general
// rules and std::from_chars give.
#include "decimalscan.h"
#include "modelerror.h"
#include "objloader.h"
#include "samemodel.h"
#include "textscan.h"

#include <QTest>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

namespace {

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// What from_chars makes of a value as the reader writes it: "+" and "," are not its own.
bool referenceValue(std::string text, float& value)
{
    std::replace(text.begin(), text.end(), ',', '.');
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    const char* const end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end;
}

std::string randomDecimal(std::mt19937_64& random)
{
    const char* const signs[] = {"", "-", "+"};
    std::string text = signs[random() % 3];
    const size_t digits = 1 + random() % 21;
    const size_t point = random() % (digits + 2); // digits + 1: no point at all
    for (size_t i = 0; i < digits; ++i) {
        if (i == point)
            text += random() % 2 ? '.' : ',';
        text += char('0' + random() % 10);
    }
    if (point == digits)
        text += '.';
    return text;
}

// Decimals of 15 and 16 digits nearest to the points halfway between two floats: some lie so
// close that the double nearest to them is the halfway point itself, and rounding that to float
// would go the wrong way.
std::vector<std::string> nearHalfwayDecimals(std::mt19937_64& random)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 50000; ++i) {
        const float below =
            std::ldexp(1.0f + float(random() % (1u << 23)) / float(1u << 23), int(random() % 48));
        const float above = std::nextafter(below, 2 * below);
        const double halfway = (double(below) + double(above)) / 2; // exact: 25 bits
        const int decimals = 15 - int(std::floor(std::log10(halfway)));
        for (const int precision : {decimals - 1, decimals}) {
            char buffer[64];
            if (precision < 0)
                continue;
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, halfway,
                                           std::chars_format::fixed, precision);
            texts.emplace_back(buffer, end.ptr);
        }
    }
    return texts;
}

// Lines a file may hold, each read the short way when its keyword is written as exporters write
// it, and the general way when it is upper-cased (keywords ignore case).
const char* const lineForms[] = {
    "v 1 2 3",
    "v 1 2 3 1",
    "v 1 2 3 4 5",
    "v\t-1.5\t2.25\t3",
    "v  1   2  3  ",
    "v 1 2 3\t\r",
    "v 1 2 3\r\r",
    "v 1 2 3\v",
    "v 1 2 3#",
    "v 1 2",
    "v 1 2 3 w",
    "v 1e5 2 3",
    "v .5 5. -0",
    "v +1 -2 +-3",
    "v 1,5 2 3",
    "v 1.5,2 0 0",
    "v 99999999999999999999 0 0",
    "v 0.00000000000000000000001 1 1",
    "v 7.812500465661287 0 0",
    "v 1 2 3 \\",
    "v 1 2 \\",
    "vn 0 0 1",
    "vn 1 2 3 4",
    "vn 1 2",
    "vn\t0 1 0 ",
    "vt 0.5 0.5",
    "vt 0.5",
    "vt 1 2 3",
    "vt 1 2 3 4",
    "vt 0.25\t0.75\r",
    "f 1 2 3",
    "f 1/2 3/4 5/6",
    "f 1//2 2//2 3//2",
    "f 1/2/3 4/5/6 7/8/9",
    "f 1/ 2 3",
    "f 1// 2 3",
    "f 1/2/ 2 3",
    "f 1 2 3 ",
    "f 1  2\t3\r",
    "f 1234567890 1 2",
    "f 999999999 1 2",
    "f 1 2 -1",
    "f 1/2/3/4 2 3",
    "f 1\r2 3",
    "f 01 002 3",
    "f",
    "f ",
    "f  \r",
    "f 1 2 3\\",
    "f 1 2 \\",
    "f 1.5 2 3",
    "f 1 2/x 3",
    "f 1 2 3 #",
    "f 0 0 0",
    "f 1 2/3/4 5//6 7",
    "f 12345678 1 2",
    "f 1//2/3 4 5",
    "f 1/2//3 4 5",
    "f 1 /2 3",
    "f 1/22/333 4444/55555/666666 7777777//88888888 999999999/1",
    "f 1/1/1 2/2/2 3/3/3 4/4/4 5/5/5 6/6/6 7/7/7 8/8/8 9/9/9 10/10/10 11/11/11 12/12/12"};

struct ReadResult
{
    TModel model;
    QString error;
};

ReadResult read(const std::string& text)
{
    ReadResult result;
    ModelIO io;
    io.decimalSeparator = ',';
    try {
        result.model = ParseModel(text, "", io);
    } catch (const ModelError& error) {
        result.error = QString::fromStdString(error.what());
    }
    return result;
}

// text with the keyword of the line at `at` upper-cased.
std::string withUpperKeyword(std::string text, size_t at)
{
    for (size_t i = at; i < text.size() && text[i] >= 'a' && text[i] <= 'z'; ++i)
        text[i] = char(text[i] - 'a' + 'A');
    return text;
}

} // namespace

class TestObjFastPath : public QObject
{
    Q_OBJECT

private slots:
    void decimals_readBitForBitAsFromChars();
    void lineForms_readAlikeTheShortAndTheGeneralWay();
};

void TestObjFastPath::decimals_readBitForBitAsFromChars()
{
    std::mt19937_64 random(20261209);
    std::vector<std::string> texts = nearHalfwayDecimals(random);
    for (int i = 0; i < 100000; ++i)
        texts.push_back(randomDecimal(random));
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int i = 0; i < 100000; ++i) { // as exporters write them, at many scales
        char buffer[64];
        const double value = unit(random) * std::pow(10.0, double(random() % 16) - 6);
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::fixed, int(random() % 10));
        texts.emplace_back(buffer, end.ptr);
    }
    size_t readShort = 0;
    for (const std::string& text : texts) {
        float expected = 0;
        const bool valid = referenceValue(text, expected);
        float value = 0;
        const char* const end = text.data() + text.size();
        const char* const stop = decimalscan::scanDecimal(text.data(), end, ',', value);
        if (stop == end) {
            ++readShort;
            QVERIFY2(valid && bitsOf(value) == bitsOf(expected), text.c_str());
        }
        // Within a line, as the fast path reads it: the 8 bytes after its line feed must not
        // change where the number stops or what it is.
        for (const char* const after : {"\n00000000", "\n--------"}) {
            const std::string line = text + after;
            float inLine = 0;
            const char* const stopInLine = decimalscan::scanDecimalInLine(line.data(), ',', inLine);
            QVERIFY2(!stopInLine == !stop, text.c_str());
            if (stop) {
                QCOMPARE(stopInLine - line.data(), stop - text.data());
                QVERIFY2(bitsOf(inLine) == bitsOf(value), text.c_str());
            }
        }
        try {
            value = parseFloatValue(text, ',');
            QVERIFY2(valid && bitsOf(value) == bitsOf(expected), text.c_str());
        } catch (const ModelConversionError&) {
            QVERIFY2(!valid, text.c_str());
        }
    }
    QVERIFY(readShort > texts.size() / 2); // the short way was really taken
}

void TestObjFastPath::lineForms_readAlikeTheShortAndTheGeneralWay()
{
    const std::string before = "v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0 0\nvt 1 1\nvn 0 0 1\n";
    // The short way takes only lines whose line feed has eight bytes after it: the long comment
    // and the line after make the form take it, the other endings leave it to the general way.
    const std::string comment = "\n# " + std::string(80, '-') + "\n";
    for (const char* form : lineForms) {
        for (const std::string after : {"\n", "\r\n", "\nv 7 8 9\n", "", comment.c_str()}) {
            const std::string text = before + form + after;
            const ReadResult shortWay = read(text);
            const ReadResult general = read(withUpperKeyword(text, before.size()));
            const QByteArray what = QByteArray(form) + " followed by " + after.c_str();
            QVERIFY2(shortWay.error == general.error, what + ": " + shortWay.error.toUtf8());
            QVERIFY2(sameModel(shortWay.model, general.model), what);
        }
    }
    // The forms that take the short way read what they say.
    const TModel model = read(before + "v -1.5 2.25 0.1 1\nf 1/2/1 3//1 2/1" + comment).model;
    QCOMPARE(model.Vertices[4], (TVector3{-1.5f, 2.25f, 0.1f}));
    const TGroup& group = model.Groups[1];
    QCOMPARE(group.Faces[1].TexCoordCount, 3);
    QCOMPARE(group.Faces[1].NormalCount, 2);
    QCOMPARE(group.Corners[1].Normal, 1);
    QCOMPARE(group.Corners[2].TexCoord, 1);
}

QTEST_GUILESS_MAIN(TestObjFastPath)
#include "test_objfastpath.moc"
