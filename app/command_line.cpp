#include "app/command_line.h"

#include "compose/export_frames.h"
#include "platform/file_names.h"
#include "resources/version.h"
#include "session/player_keys.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace tandemo {

namespace {

// Options that QApplication takes out of the arguments, with or without a value to follow.
const QList<QByteArray> kQtOptionsWithValue{"platform",
                                            "platformpluginpath",
                                            "platformtheme",
                                            "plugin",
                                            "qwindowgeometry",
                                            "qwindowicon",
                                            "qwindowtitle",
                                            "session",
                                            "style",
                                            "stylesheet",
                                            "display",
                                            "geometry",
                                            "title",
                                            "name",
                                            "visual",
                                            "ncols",
                                            "cmap",
                                            "fontengine"};
const QList<QByteArray> kQtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync"};

/// How many arguments a Qt option at `argument` takes up (0 when it is none).
int qtOptionLength(const QByteArray& argument)
{
    QByteArray name = argument.startsWith("--") ? argument.mid(2) : argument.mid(1);
    if (name.startsWith("qmljsdebugger="))
        return 1;
    if (const qsizetype equals = name.indexOf('='); equals > 0)
        return kQtOptionsWithValue.contains(name.left(equals)) ? 1 : 0;
    if (kQtOptionsWithValue.contains(name))
        return 2;
    return kQtFlags.contains(name) ? 1 : 0;
}

} // namespace

qsizetype optionsLength(const QList<QByteArray>& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--")
            return i;
        if (arguments[i].startsWith('-')) {
            if (const int length = qtOptionLength(arguments[i]))
                i += length - 1;
        }
    }
    return arguments.size();
}

namespace {

/// An option's value: after "=" in the argument, else the next argument (taken).
std::optional<QString> valueOf(const QByteArray& argument, const QList<QByteArray>& arguments,
                               qsizetype& i)
{
    if (const qsizetype equals = argument.indexOf('='); equals > 0)
        return decodeFileName(argument.mid(equals + 1));
    if (i + 1 >= arguments.size())
        return std::nullopt;
    return decodeFileName(arguments[++i]);
}

bool isOption(const QByteArray& argument, const char* name)
{
    return argument == name || argument.startsWith(QByteArray(name) + '=');
}

/// The comparisons' own rules: a reference and renditions (two videos and the new file,
/// exporting), options of their own only.
void checkComparison(CommandLine& line, bool csvGiven, bool byGiven, const QStringList& given)
{
    const bool measuring = line.action == CommandLine::Action::Measure;
    const bool aligning = line.action == CommandLine::Action::Align;
    const bool exporting = line.action == CommandLine::Action::Export;
    QString error;
    if (!measuring && !aligning && !exporting) {
        if (csvGiven || byGiven)
            error = csvGiven ? "--csv goes with --measure" : "--by goes with --align";
        else if (given.contains("--json"))
            error = "--json goes with --measure or --align";
        else if (!given.isEmpty() && given.constFirst() != "--json")
            error = given.constFirst() + " goes with --measure or --export";
    } else if (aligning &&
               !given.filter(QRegularExpression("^--(offset|pace|aligned)$")).isEmpty()) {
        error = given.filter(QRegularExpression("^--(offset|pace|aligned)$")).constFirst() +
                " goes with --measure or --export";
    } else if (exporting && given.contains("--json")) {
        error = "--json goes with --measure or --align";
    } else if (!(line.pace > 0) || !std::isfinite(line.pace) || !std::isfinite(line.offset)) {
        error = "--pace is a number above 0, --offset a number of seconds";
    } else if (!(line.hdrPeak >= 0) || !std::isfinite(line.hdrPeak)) {
        error = "--hdr-peak is a number of nits";
    } else if (!line.unknownOptions.isEmpty()) {
        error = "unknown option " + printableName(line.unknownOptions.constFirst());
    } else if (exporting) {
        if (line.files.size() + line.ignored.size() != 3)
            error = "--export needs a layout, two videos and the new file";
        else if (csvGiven || byGiven)
            error = csvGiven ? "--csv goes with --measure" : "--by goes with --align";
        else if (ExportLayout layout; !exportLayoutNamed(line.exportLayout, &layout))
            error = "--export lays the videos out as side-by-side, wipe, difference or onion, "
                    "not " +
                    printableName(line.exportLayout);
        line.exportFile = line.ignored.value(0);
        line.ignored.clear();
    } else if (line.files.size() < 2) {
        error = QString(measuring ? "--measure" : "--align") +
                " needs a reference and at least one rendition";
    } else if (measuring && byGiven) {
        error = "--by goes with --align";
    } else if (aligning && csvGiven) {
        error = "--csv goes with --measure";
    } else if (line.alignBy != "sound" && line.alignBy != "picture") {
        error = "--by is sound or picture, not " + printableName(line.alignBy);
    }
    if (!error.isEmpty()) {
        line.action = CommandLine::Action::BadUsage;
        line.usageError = error;
    }
}

} // namespace

CommandLine parseCommandLine(const QList<QByteArray>& arguments, bool passQtOptions)
{
    CommandLine line;
    bool options = true;
    bool csvGiven = false;
    bool byGiven = false;
    bool forceGiven = false;
    QStringList files;
    QStringList given; // the options of measuring, exporting and aligning given, in order
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (options && passQtOptions && argument.startsWith('-')) {
            if (const int length = qtOptionLength(argument)) {
                i += length - 1;
                continue;
            }
        }
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            line.action = CommandLine::Action::ShowHelp;
            return line;
        } else if (options && argument == "--version") {
            line.action = CommandLine::Action::ShowVersion;
            return line;
        } else if (options && (isOption(argument, "--measure") || isOption(argument, "--align"))) {
            const auto asked = isOption(argument, "--measure") ? CommandLine::Action::Measure
                                                               : CommandLine::Action::Align;
            // --measure=A B: the first file given with the option.
            if (const qsizetype equals = argument.indexOf('='); equals > 0)
                files << decodeFileName(argument.mid(equals + 1));
            if (line.action != CommandLine::Action::Run && line.action != asked) {
                line.action = CommandLine::Action::BadUsage;
                line.usageError = "--measure and --align are asked for one at a time";
                return line;
            }
            line.action = asked;
        } else if (options && isOption(argument, "--export")) {
            const std::optional<QString> layout = valueOf(argument, arguments, i);
            if (line.action != CommandLine::Action::Run || !layout) {
                line.action = CommandLine::Action::BadUsage;
                line.usageError = layout ? "--export is asked for alone"
                                         : "--export needs a layout, two videos and the new file";
                return line;
            }
            line.action = CommandLine::Action::Export;
            line.exportLayout = *layout;
        } else if (options && (isOption(argument, "--csv") || isOption(argument, "--by"))) {
            const bool csv = isOption(argument, "--csv");
            const std::optional<QString> value = valueOf(argument, arguments, i);
            if (!value || value->isEmpty()) {
                line.action = CommandLine::Action::BadUsage;
                line.usageError = QString(csv ? "--csv" : "--by") + " needs a value";
                return line;
            }
            (csv ? line.csvFile : line.alignBy) = *value;
            (csv ? csvGiven : byGiven) = true;
        } else if (options && argument == "--force") {
            forceGiven = true;
        } else if (options && argument == "--json") {
            line.json = true;
            given << "--json";
        } else if (options &&
                   (isOption(argument, "--offset") || isOption(argument, "--pace") ||
                    isOption(argument, "--hdr-peak") || isOption(argument, "--left-filter") ||
                    isOption(argument, "--right-filter"))) {
            const QByteArray name =
                argument.left(argument.indexOf('=') > 0 ? argument.indexOf('=') : argument.size());
            const std::optional<QString> value = valueOf(argument, arguments, i);
            bool number = true;
            if (value && name == "--offset")
                line.offset = value->toDouble(&number);
            else if (value && name == "--pace")
                line.pace = value->toDouble(&number);
            else if (value && name == "--hdr-peak")
                line.hdrPeak = value->toDouble(&number);
            else if (value)
                (name == "--left-filter" ? line.leftFilter : line.rightFilter) = *value;
            if (!value || !number) {
                line.action = CommandLine::Action::BadUsage;
                line.usageError =
                    QString::fromLatin1(name) + (value ? " needs a number" : " needs a value");
                return line;
            }
            if (name == "--offset" || name == "--pace" || name == "--hdr-peak")
                given << QString::fromLatin1(name);
        } else if (options && isOption(argument, "--aligned")) {
            // --aligned alone aligns by sound; by picture with "=picture" or "picture" next.
            line.alignFirstBy = QStringLiteral("sound");
            if (const qsizetype equals = argument.indexOf('='); equals > 0)
                line.alignFirstBy = QString::fromUtf8(argument.mid(equals + 1));
            else if (i + 1 < arguments.size() &&
                     (arguments[i + 1] == "sound" || arguments[i + 1] == "picture"))
                line.alignFirstBy = QString::fromLatin1(arguments[++i]);
            given << "--aligned";
        } else if (options && argument.startsWith('-') && argument != "-") {
            line.unknownOptions << decodeFileName(argument);
        } else {
            files << decodeFileName(argument);
        }
    }
    // The window and the measures take renditions; an export takes two videos and its file.
    const bool exporting = line.action == CommandLine::Action::Export;
    line.files = exporting ? files.mid(0, 2) : files;
    line.ignored = exporting ? files.mid(2) : QStringList();
    line.replaceCsv = forceGiven;
    checkComparison(line, csvGiven, byGiven, given);
    if (line.action != CommandLine::Action::BadUsage && !line.alignFirstBy.isEmpty() &&
        line.alignFirstBy != "sound" && line.alignFirstBy != "picture") {
        line.action = CommandLine::Action::BadUsage;
        line.usageError =
            "--aligned is by sound or picture, not " + printableName(line.alignFirstBy);
    }
    if (line.action != CommandLine::Action::BadUsage && !line.alignFirstBy.isEmpty() &&
        given.contains("--offset")) {
        line.action = CommandLine::Action::BadUsage;
        line.usageError = "--aligned finds the offset: it goes without --offset";
    }
    if (forceGiven && !csvGiven && line.action != CommandLine::Action::BadUsage) {
        line.action = CommandLine::Action::BadUsage;
        line.usageError = QStringLiteral("--force goes with --csv");
    }
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tandemo [OPTION]... [REFERENCE [RENDITION]...]\n"
        "       tandemo --measure REFERENCE RENDITION... [--csv FILE [--force]] [--json]\n"
        "                         [--offset SECONDS] [--pace P | --aligned [sound|picture]]\n"
        "       tandemo --align REFERENCE RENDITION... [--by sound|picture] [--json]\n"
        "       tandemo --export side-by-side|wipe|difference|onion A B OUT\n"
        "                         [--offset SECONDS] [--pace P | --aligned [sound|picture]]\n"
        "Plays two videos side by side, each looping endlessly: the first file in the\n"
        "left pane, the second in the right. Further files are renditions of the first\n"
        "that the right pane holds too: Tab shows the next one at the same moment.\n"
        "\n"
        "  --measure REFERENCE RENDITION...\n"
        "                  compare each rendition with the reference frame by frame (scaled\n"
        "                  to the reference's size, over the stretch both have; the\n"
        "                  reference decoded once for all) and print each one's average\n"
        "                  SSIM and PSNR and worst frame; the PSNR average is that of the\n"
        "                  mean squared error over all frame pairs, identical ones\n"
        "                  included, as ffmpeg's psnr filter gives it\n"
        "  --csv FILE      with --measure: write every frame pair's figures to FILE as\n"
        "                  CSV (frame, time, psnr, ssim, each plane's and msad; a\n"
        "                  rendition column first where\n"
        "                  there are several), the summary after them; \"-\" writes them\n"
        "                  to standard output. Never through a link, over one of the\n"
        "                  videos, or over a file that is there\n"
        "  --force         with --csv: replace the file that is there\n"
        "  --json          with --measure or --align: one JSON object per rendition on a\n"
        "                  line of its own (file, frames, seconds, ssim, psnr, their worst\n"
        "                  and its frame, identical, offset, pace; or error); the PSNR of\n"
        "                  identical frames is null\n"
        "  --align REFERENCE RENDITION...\n"
        "                  print how many seconds each rendition is ahead of the\n"
        "                  reference where they line up (and its pace where it drifts), or\n"
        "                  \"no clear match\"; with several, each line starts with its name\n"
        "  --by WHAT       with --align: by their sound (the default) or picture\n"
        "  --offset SECONDS, --pace P\n"
        "                  with --measure or --export: the rendition's moment at the\n"
        "                  reference's moment t is t x P + SECONDS (default 0 and 1)\n"
        "  --aligned [sound|picture]\n"
        "                  with --measure or --export: align each rendition first (by\n"
        "                  sound unless picture is given) and compare it as aligned\n"
        "  --left-filter CHAIN, --right-filter CHAIN\n"
        "                  a libavfilter chain (e.g. crop=1280:536:0:92, yadif,\n"
        "                  format=gray) each side's pictures go through, in the window and\n"
        "                  in every comparison; the right one applies to every rendition\n"
        "  --hdr-peak NITS with --measure, --align or --export: the peak an HDR (PQ or HLG)\n"
        "                  video's mapping to the standard range assumes (default: the\n"
        "                  file's own, else 1000); HDR is compared as it is shown: mapped\n"
        "                  to BT.709 with standard white at 203 nits\n"
        "  --export LAYOUT A B OUT\n"
        "                  write A and B as a new video OUT (MP4): side by side, or laid\n"
        "                  over each other as the wipe view does (wipe, difference, onion),\n"
        "                  with their names burned in and the sound of both; never over a\n"
        "                  file that is there\n"
        "  --help          show this text and exit\n"
        "  --version       show the program's version and exit\n"
        "  --              treat every later argument as a file\n"
        "An option's value may also follow it after \"=\" (--csv=FILE, --measure=A B).\n"
        "\n"
        "--measure, --align and --export need no display, show their progress on\n"
        "standard error when it is a terminal, and stop at Ctrl-C. They exit with 0\n"
        "when every rendition was done, 1 when one could not be matched (no frames to\n"
        "compare, no clear match), 2 on bad arguments, a refused filter chain or files\n"
        "that cannot be read; standard error names the rendition and why.\n");
}

QString helpText()
{
    return usageText() + QStringLiteral("\nKeys and gestures, in the pane that has the focus:\n") +
           keysAsText();
}

QString versionText()
{
    return QStringLiteral("%1 %2\n%3, version %4\n%5\n")
        .arg(QLatin1String(version::kProduct), QLatin1String(version::kDisplayVersion),
             QLatin1String(version::kCompany), QLatin1String(version::kNumericVersion),
             QLatin1String(version::kHomePage));
}

} // namespace tandemo
