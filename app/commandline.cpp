#include "commandline.h"

#include <QCommandLineParser>
#include <QLocale>
#include <cmath>

namespace {

// Qt's options for every GUI program. QApplication takes them out of the arguments; they are
// known here too, so that none is taken for a mistake.
const QStringList qtValueOptions{
    "style",         "stylesheet",  "session", "platform", "platformpluginpath",
    "platformtheme", "plugin",      "display", "geometry", "qwindowgeometry",
    "qwindowtitle",  "qwindowicon", "name",    "title",    "visual"};
const QStringList qtFlagOptions{"reverse", "widgetcount", "nograb", "dograb", "sync"};

void addQtOptions(QCommandLineParser& parser)
{
    for (const QString& name : qtValueOptions) {
        QCommandLineOption option(name, QString(), QStringLiteral("valor"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : qtFlagOptions) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

CommandLine invalid(const QString& error)
{
    CommandLine line;
    line.mode = CommandLine::Invalid;
    line.error = error;
    return line;
}

bool readNumber(const QString& text, double& value)
{
    bool ok = false;
    value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

// The view options of --render; an empty string when all are good, else what is wrong.
QString readViewOptions(const QCommandLineParser& parser, CommandLine& line)
{
    if (parser.isSet("size")) {
        bool ok = false;
        line.size = parser.value("size").toInt(&ok);
        // A side of 4096 already takes 128 MB of colour and depth.
        if (!ok || line.size < 1 || line.size > 4096)
            return QStringLiteral("--size deve ser um número inteiro de 1 a 4096");
    }
    // From 10 on the view's box closes up and then turns over.
    if (parser.isSet("zoom") && (!readNumber(parser.value("zoom"), line.zoom) || line.zoom >= 10))
        return QStringLiteral("--zoom deve ser um número menor que 10 (por exemplo 2.5)");
    if (parser.isSet("light") &&
        (!readNumber(parser.value("light"), line.light) || line.light < 0 || line.light > 1))
        return QStringLiteral("--light deve ser um número de 0 a 1 (por exemplo 0.3)");
    if (parser.isSet("camera")) {
        const QStringList parts = parser.value("camera").split(QLatin1Char(','));
        bool ok = parts.size() == 3;
        for (int i = 0; ok && i < 3; ++i)
            ok = readNumber(parts[i], line.camera[size_t(i)]);
        if (!ok)
            return QStringLiteral("--camera deve ser X,Y,Z (por exemplo 1.5,0,-2)");
    }
    return QString();
}

void addOptions(QCommandLineParser& parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* flag : {"render", "check", "help-all"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
    parser.addOption(QCommandLineOption(QStringList{"v", "version"}));
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    const char* const valued[][2] = {
        {"o", "figura"}, {"size", "n"}, {"zoom", "z"}, {"camera", "x,y,z"}, {"light", "l"}};
    for (const auto& [name, value] : valued)
        parser.addOption(QCommandLineOption(name, QString(), value));
    addQtOptions(parser);
}

CommandLine readMode(const QCommandLineParser& parser)
{
    CommandLine line;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet("help") || parser.isSet("help-all"))
        line.mode = CommandLine::Help;
    else if (parser.isSet("version"))
        line.mode = CommandLine::Version;
    else if (parser.isSet("render") && parser.isSet("check"))
        return invalid(QStringLiteral("--render e --check não podem ser usados juntos"));
    else if (parser.isSet("render"))
        line.mode = CommandLine::Render;
    else if (parser.isSet("check"))
        line.mode = CommandLine::Check;
    if (files.size() > 1)
        return invalid(QStringLiteral("apenas um arquivo de cena pode ser dado"));
    if (files.isEmpty() && (line.mode == CommandLine::Render || line.mode == CommandLine::Check))
        return invalid(QStringLiteral("falta o arquivo de cena"));
    line.scene = files.value(0);
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return invalid(
            unknown.isEmpty()
                ? QStringLiteral("falta o valor de uma opção (%1)").arg(parser.errorText())
                : QStringLiteral("opção desconhecida: ") + unknown.first());
    }
    CommandLine line = readMode(parser);
    if (line.mode == CommandLine::Invalid)
        return line;
    if (line.mode != CommandLine::Render) {
        for (const char* name : {"o", "size", "zoom", "camera", "light"})
            if (parser.isSet(name))
                return invalid(QStringLiteral("-%1 só vale com --render").arg(name));
        return line;
    }
    line.output = parser.value("o");
    if (line.output.isEmpty())
        return invalid(QStringLiteral("--render precisa de -o FIGURA.png"));
    const QString error = readViewOptions(parser, line);
    return error.isEmpty() ? line : invalid(error);
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Uso: tavirel [CENA.xml]\n"
        "     tavirel --render CENA.xml -o FIGURA.png [--size N] [--zoom Z] [--camera X,Y,Z]"
        " [--light L]\n"
        "     tavirel --check CENA.xml\n"
        "\n"
        "Editor de cenas 3D para aulas de física. Sem opções abre o editor; com um arquivo\n"
        "de cena, abre o editor com essa cena.\n"
        "\n"
        "Opções:\n"
        "  --render CENA.xml   desenha a cena como a vista a mostraria e grava uma figura PNG,\n"
        "                      sem abrir janela\n"
        "  -o FIGURA.png       o arquivo da figura (obrigatório com --render)\n"
        "  --size N            largura e altura da figura em pixels, até 4096 (padrão 425,\n"
        "                      o tamanho da vista)\n"
        "  --zoom Z            o número que o rótulo \"Zoom:\" da vista mostraria (padrão 0;\n"
        "                      menor que 10)\n"
        "  --camera X,Y,Z      deslocamento da câmera, como pelas setas da vista (padrão 0,0,0)\n"
        "  --light L           nível de luz de 0 a 1, como o rótulo \"Luz:\" (padrão 0.3)\n"
        "  --check CENA.xml    lista os problemas da cena e um resumo; sai com status 1 se\n"
        "                      houver algum\n"
        "  -v, --version       mostra a versão\n"
        "  -h, --help          mostra esta ajuda\n"
        "\n"
        "Números usam ponto como separador decimal. Status de saída: 0 em caso de sucesso,\n"
        "1 quando algo falha ou a verificação acha problemas, 2 para opções erradas.\n");
}
