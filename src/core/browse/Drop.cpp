#include "core/browse/Drop.h"

#include "base/Failure.h"
#include "base/NativeName.h"

#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <optional>

namespace chimebox::browse {

namespace {

// The path of a local url as the file system spells it: percent escapes are
// undone to bytes, so a name that is not valid UTF-8 keeps its bytes.
QString localPath(const QUrl &url)
{
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    QString path = nativename::decode(bytes);
    const QString host = url.host();
    if (host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return path;
    return QStringLiteral("//") + host + path;
}

} // namespace

bool offersFileList(const QMimeData &data)
{
    if (!data.hasUrls())
        return false;
    const QList<QUrl> urls = data.urls();
    return std::all_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

QStringList droppedFiles(const QMimeData &data)
{
    QStringList paths;
    for (const QUrl &url : data.urls())
        paths.append(localPath(url));
    return paths;
}

QString folderText(const QString &item)
{
    QString path = item;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        throw Failure(QStringLiteral("フォルダを特定できません: %1").arg(item));
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString DropStep::failureText()
{
    return QStringLiteral("ドラッグ＆ドロップが正しくありません。");
}

QList<DropStep> planDrop(const QMimeData *data)
{
    QList<DropStep> steps;
    const auto fail = [&steps] { steps.append({DropStep::Action::Fail, {}}); };

    bool isFileList = false;
    bool testFailed = true;
    try {
        isFileList = data && offersFileList(*data);
        testFailed = false;
    } catch (const std::exception &) {
        fail();
    }
    if (!testFailed && !isFileList)
        return steps;

    std::optional<QStringList> files;
    try {
        files = droppedFiles(*data);
    } catch (const std::exception &) {
        fail();
    }
    if (!files) {
        // Without a walk there is no current item: both folder steps fail
        // once each and the drop ends.
        fail();
        fail();
        return steps;
    }
    for (const QString &item : std::as_const(*files)) {
        try {
            const QString folder = folderText(item);
            steps.append({DropStep::Action::ShowFolder, folder});
            steps.append({DropStep::Action::ListFiles, folder});
        } catch (const std::exception &) {
            fail();
            fail();
        }
    }
    return steps;
}

} // namespace chimebox::browse
