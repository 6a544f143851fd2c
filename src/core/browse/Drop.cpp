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
    const QString path = nativename::decode(bytes);
    const QString host = url.host();
    if (host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return path;
    return QStringLiteral("//") + host + path;
}

// Runs one step under the failure rule: a failure shows the message once and
// the caller goes on with the next step.
void attempt(const DropSteps &steps, const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &) {
        steps.showFailure();
    }
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

void runDrop(const QMimeData *data, const DropSteps &steps)
{
    bool isFileList = false;
    bool testFailed = true;
    attempt(steps, [&] {
        isFileList = data && offersFileList(*data);
        testFailed = false;
    });
    if (!testFailed && !isFileList)
        return;

    std::optional<QStringList> files;
    attempt(steps, [&] { files = droppedFiles(*data); });
    if (files && files->isEmpty())
        return;

    // Without a walk (its list could not be taken) there is no current item:
    // both folder steps fail once each and the drop ends.
    qsizetype index = 0;
    const auto current = [&]() -> const QString & {
        if (!files)
            throw Failure(QStringLiteral("ドロップされたファイルがありません"));
        return (*files)[index];
    };
    do {
        attempt(steps, [&] { steps.setDirPath(folderText(current())); });
        attempt(steps, [&] { steps.setFilePath(folderText(current())); });
        ++index;
    } while (files && index < files->size());
}

} // namespace chimebox::browse
