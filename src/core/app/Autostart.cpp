#include "core/app/Autostart.h"

#include "base/AtomicFile.h"
#include "base/Failure.h"
#include "base/NativeName.h"
#include "base/TextFile.h"
#include "base/Version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace chimebox::app {

namespace fs = std::filesystem;

namespace {

const QString kGroup = QStringLiteral("[Desktop Entry]");
// Desktop entries are small; anything larger is no entry of ours.
constexpr textfile::ReadLimits kLimits{64 * 1024, 4096};

// The keys the entry sets itself, whatever the menu entry says. Actions and
// DBusActivatable would promise groups and a bus name it does not carry.
const QStringList kOwnKeys{QStringLiteral("Type"),    QStringLiteral("Exec"),
                           QStringLiteral("TryExec"), QStringLiteral("Terminal"),
                           QStringLiteral("Hidden"),  QStringLiteral("X-GNOME-Autostart-enabled"),
                           QStringLiteral("Actions"), QStringLiteral("DBusActivatable")};

// The key-value lines of an entry's main group in file order, values as
// written, escapes and all.
using Pairs = QList<std::pair<QString, QString>>;

Pairs mainGroup(const QString &text)
{
    Pairs pairs;
    bool inGroup = false;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[')) {
            inGroup = line == kGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || equals < 0)
            continue;
        pairs.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return pairs;
}

// A key given twice is an error; the last one counts here.
QString valueOf(const Pairs &pairs, const QString &key)
{
    for (auto pair = pairs.crbegin(); pair != pairs.crend(); ++pair) {
        if (pair->first == key)
            return pair->second;
    }
    return {};
}

// A boolean is true or false, and GLib reads 1 and 0 too.
bool saysTrue(const QString &value)
{
    return value == u"true" || value == u"1";
}

bool saysFalse(const QString &value)
{
    return value == u"false" || value == u"0";
}

Pairs readMainGroup(const QString &path)
{
    try {
        return mainGroup(textfile::ReadFile(path, kLimits));
    } catch (const Failure &) {
        return {};
    }
}

// A string value's escapes: the character and the letter after its
// backslash. The last, \s, is only read: a blank needs it only to start a value.
constexpr std::pair<char16_t, char16_t> kEscapes[] = {
    {u'\\', u'\\'}, {u'\n', u'n'}, {u'\t', u't'}, {u'\r', u'r'}, {u' ', u's'}};
constexpr auto kWrittenEscapesEnd = std::end(kEscapes) - 1;

QString escapeString(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        const auto *escape = std::find_if(std::begin(kEscapes), kWrittenEscapesEnd,
                                          [c](auto pair) { return pair.first == c; });
        if (escape == kWrittenEscapesEnd) {
            escaped += c;
        } else {
            escaped += u'\\';
            escaped += QChar(escape->second);
        }
    }
    return escaped;
}

// Undoes escapeString; none for an unknown escape, as GLib refuses the value.
std::optional<QString> unescapeString(const QString &value)
{
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != u'\\') {
            plain += value.at(i);
            continue;
        }
        const QChar letter = ++i < value.size() ? value.at(i) : QChar();
        const auto *escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [letter](auto pair) { return pair.second == letter; });
        if (escape == std::end(kEscapes))
            return std::nullopt;
        plain += escape->first;
    }
    return plain;
}

// Makes each missing folder down to folder with mode 0700, as the base
// directory rules want for the configuration folder.
void makePrivateFolders(const QString &folder)
{
    std::vector<fs::path> missing;
    std::error_code ec;
    for (fs::path at = nativename::toPath(folder).lexically_normal();
         at.has_relative_path() && fs::status(at, ec).type() == fs::file_type::not_found;
         at = at.parent_path()) {
        if (at.has_filename())
            missing.push_back(at);
    }
    for (auto at = missing.crbegin(); at != missing.crend(); ++at) {
        if (::mkdir(at->c_str(), 0700) != 0 && errno != EEXIST)
            throw Failure(
                QStringLiteral("フォルダを作れません: %1").arg(nativename::fromPath(*at)));
    }
}

} // namespace

QString execValue(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    static const QString escapedInQuotes = QStringLiteral("\"`$\\");
    QString argument = program;
    const bool quoted =
        program.isEmpty() ||
        std::any_of(program.cbegin(), program.cend(), [](QChar c) { return reserved.contains(c); });
    if (quoted) {
        argument = QStringLiteral("\"");
        for (const QChar c : program) {
            if (escapedInQuotes.contains(c))
                argument += u'\\';
            argument += c;
        }
        argument += u'"';
    }
    argument.replace(u'%', QStringLiteral("%%"));
    return escapeString(argument);
}

QString programOfExec(const QString &exec)
{
    const std::optional<QString> line = unescapeString(exec);
    if (!line)
        return {};
    QString program;
    qsizetype i = 0;
    while (i < line->size() && line->at(i) == u' ')
        ++i;
    if (i < line->size() && line->at(i) == u'"') {
        for (++i;; ++i) {
            if (i == line->size())
                return {}; // no closing quote
            const QChar c = line->at(i);
            if (c == u'"')
                break;
            if (c == u'\\' && i + 1 < line->size())
                ++i;
            program += line->at(i);
        }
    } else {
        for (; i < line->size() && line->at(i) != u' '; ++i)
            program += line->at(i);
    }
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

Autostart::Autostart(QString program, QString menuEntry, QString folder)
    : program_(std::move(program)), menuEntry_(std::move(menuEntry)), folder_(std::move(folder))
{}

Autostart Autostart::forThisProcess()
{
    // The link's bytes name the program exactly, even where they are no UTF-8;
    // Qt's own path of the program would lose such bytes.
    std::error_code ec;
    const fs::path link = fs::read_symlink("/proc/self/exe", ec);
    const QString program =
        ec ? QCoreApplication::applicationFilePath() : nativename::fromPath(link);
    const QString bin = program.left(program.lastIndexOf(u'/'));
    return Autostart(program, bin + u'/' + QStringLiteral(CHIMEBOX_MENU_ENTRY_FROM_BINDIR),
                     QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/autostart"));
}

QString Autostart::entryPath() const
{
    return folder_ + u'/' + version::applicationId() + QStringLiteral(".desktop");
}

bool Autostart::installed() const
{
    return QFileInfo::exists(menuEntry_);
}

bool Autostart::isEnabled() const
{
    const Pairs entry = readMainGroup(entryPath());
    if (saysTrue(valueOf(entry, QStringLiteral("Hidden"))) ||
        saysFalse(valueOf(entry, QStringLiteral("X-GNOME-Autostart-enabled"))))
        return false;
    const QString program = programOfExec(valueOf(entry, QStringLiteral("Exec")));
    if (program.isEmpty())
        return false;
    if (program == program_)
        return true;
    return installed() &&
           program == programOfExec(valueOf(readMainGroup(menuEntry_), QStringLiteral("Exec")));
}

QByteArray Autostart::entry() const
{
    Pairs shown;
    if (installed()) {
        for (const auto &pair : readMainGroup(menuEntry_)) {
            if (!kOwnKeys.contains(pair.first))
                shown.append(pair);
        }
    }
    if (shown.isEmpty())
        shown = {{QStringLiteral("Name"), version::name()},
                 {QStringLiteral("Icon"), version::applicationId()}};

    QStringList lines{QStringLiteral("# chimebox がログイン時に起動するよう書きました。"
                                     "このファイルを削除すれば起動しません。"),
                      kGroup, QStringLiteral("Type=Application")};
    for (const auto &[key, value] : shown)
        lines.append(key + u'=' + value);
    lines.append(QStringLiteral("Exec=") + execValue(program_));
    // A program that is gone (a deleted build folder, a removed package) is
    // then skipped quietly instead of failing at every login.
    lines.append(QStringLiteral("TryExec=") + escapeString(program_));
    lines.append(QStringLiteral("Terminal=false"));
    lines.append(QStringLiteral("X-GNOME-Autostart-enabled=true"));
    return (lines.join(u'\n') + u'\n').toUtf8();
}

std::optional<QString> Autostart::enable() const
{
    const QString heading = QStringLiteral("ログイン時に起動するよう設定できませんでした。\n\n");
    // Desktop entries are UTF-8 text: a path whose bytes are not cannot be named there.
    if (!program_.isValidUtf16())
        return heading + QStringLiteral("プログラムのフォルダの名前が UTF-8 ではありません: %1")
                             .arg(program_);
    std::error_code ec;
    if (!fs::is_regular_file(nativename::toPath(program_), ec))
        return heading + QStringLiteral("プログラムのファイルがありません: %1").arg(program_);
    try {
        makePrivateFolders(folder_);
        atomicfile::replace(nativename::toPath(entryPath()), entry(), std::nullopt, entryPath());
    } catch (const Failure &failure) {
        return heading + failure.message();
    }
    return std::nullopt;
}

std::optional<QString> Autostart::disable() const
{
    const fs::path path = nativename::toPath(entryPath());
    std::error_code ec;
    // A folder of that name is no entry, and the session skips it.
    if (fs::is_directory(fs::symlink_status(path, ec)))
        return std::nullopt;
    fs::remove(path, ec);
    if (ec)
        return QStringLiteral("ログイン時の起動を取り消せませんでした。\n\n"
                              "ファイルを削除できません: %1")
            .arg(entryPath());
    return std::nullopt;
}

} // namespace chimebox::app
