#include "command_line.h"

#include "seriescheck.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace kw::ui {

namespace {

std::optional<std::string> theStartArgument;

// Options QGuiApplication, QApplication and the X11 platform take out of argv themselves;
// they are accepted here so that "kw_switch -platform xcb DOSSIER" keeps its meaning.
const char* const QtOptionsWithValue[] = {"platform",        "platformpluginpath",
                                          "platformtheme",   "plugin",
                                          "qwindowgeometry", "qwindowtitle",
                                          "qwindowicon",     "geometry",
                                          "title",           "icon",
                                          "display",         "name",
                                          "visual",          "style",
                                          "stylesheet",      "session",
                                          "qmljsdebugger"};
const char* const QtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};

// Whether `argument` gives the option `name` ("--nom=x" gives "nom").
bool givesOption(const QString& argument, const QString& name)
{
    QString bare = argument.section(QLatin1Char('='), 0, 0);
    while (bare.startsWith(QLatin1Char('-')))
        bare.remove(0, 1);
    return argument.startsWith(QLatin1Char('-')) && bare == name;
}

// The argument that gave the option `name`, as it was typed.
QString asTyped(const QStringList& arguments, const QString& name)
{
    for (const QString& argument : arguments) {
        if (givesOption(argument, name))
            return argument;
    }
    return name;
}

QString helpText()
{
    return QStringLiteral(
        "Utilisation : kw_switch [DOSSIER | DOSSIER/kw_switch.INI]\n"
        "              kw_switch --verifier DOSSIER | DOSSIER/kw_switch.INI\n"
        "\n"
        "Exercices sur la commutation Ethernet. kw_switch lit la configuration d'une\n"
        "série, kw_switch.INI, dans DOSSIER, ou dans le dossier du fichier kw_switch.INI\n"
        "donné (le nom peut s'écrire en majuscules ou en minuscules) ; sans argument,\n"
        "dans le dossier courant. Les dossiers relatifs de la configuration partent du\n"
        "dossier de la série.\n"
        "\n"
        "Options :\n"
        "  --verifier DOSSIER\n"
        "                 lit la série comme au lancement, sans ouvrir de fenêtre ni\n"
        "                 rien écrire, et dit ce qu'il en lit : fichiers trouvés, clés,\n"
        "                 lignes d'exercices, table du switch, messages du lancement ;\n"
        "                 code de retour 0 : la série se joue comme elle est écrite,\n"
        "                 1 : quelque chose est ignoré ou corrigé, 2 : le programme\n"
        "                 refuserait de la lancer\n"
        "  -h, --help     affiche cette aide et s'arrête\n"
        "  -v, --version  affiche la version et s'arrête\n"
        "\n"
        "Voir aussi : man kw_switch\n");
}

} // namespace

std::optional<int> readCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    theStartArgument.reset();

    QCommandLineParser parser;
    // Qt's own options are written "-platform xcb": one dash, whole words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption check(QStringLiteral("verifier"), QString(),
                                   QStringLiteral("DOSSIER"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(check);
    for (const char* name : QtOptionsWithValue)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("valeur")));
    for (const char* name : QtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    const QString seeHelp = QStringLiteral("Pour l'aide : kw_switch --help\n");
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            err << QStringLiteral("kw_switch : option inconnue « %1 »\n")
                       .arg(asTyped(arguments, unknown.first()));
        // Qt's own words for an option left without its value are English.
        else if (!arguments.isEmpty() && givesOption(arguments.last(), check.names().first()))
            err << QStringLiteral("kw_switch : --verifier attend un dossier de série ou son "
                                  "fichier kw_switch.INI\n");
        else
            err << QStringLiteral("kw_switch : %1\n").arg(parser.errorText());
        err << seeHelp;
        return 2;
    }
    if (parser.isSet(help)) {
        out << helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << QStringLiteral("kw_switch " KW_VERSION "\n");
        return 0;
    }
    const QStringList series = parser.positionalArguments();
    if (series.size() + parser.values(check).size() > 1) {
        err << QStringLiteral("kw_switch : une seule série à la fois (un dossier ou un fichier "
                              "kw_switch.INI)\n")
            << seeHelp;
        return 2;
    }
    if (parser.isSet(check)) {
        // The series is read as a start would read it, and nothing more: no window.
        const kw::SeriesReport report =
            kw::CheckSeries(QDir::currentPath().toStdString(), parser.value(check).toStdString());
        out << QString::fromStdString(kw::ReportText(report));
        return report.status();
    }
    if (!series.isEmpty())
        theStartArgument = series.first().toStdString();
    return std::nullopt;
}

std::optional<int> readCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return readCommandLine(arguments, out, err);
}

const std::optional<std::string>& startArgument()
{
    return theStartArgument;
}

} // namespace kw::ui
