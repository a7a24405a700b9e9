#include "app/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

std::optional<QString> writeAtomically(const QString &path, const QByteArray &contents)
{
    QSaveFile file(path);
    // Writing through a link would replace the link by a plain file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> saveWithBackup(const QString &path, const QByteArray &contents)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    if (target.isEmpty())
        return QStringLiteral("the link %1 points nowhere").arg(path);

    if (QFileInfo::exists(target)) {
        QFile old(target);
        if (!old.open(QIODevice::ReadOnly))
            return old.errorString();
        if (auto failed = writeAtomically(path + QStringLiteral(".bak"), old.readAll()))
            return failed;
    }
    return writeAtomically(target, contents);
}

} // namespace

std::optional<std::string> saveFileAtomically(const std::string &path, std::string_view contents)
{
    const auto failed = saveWithBackup(QString::fromStdString(path),
                                       QByteArray(contents.data(), static_cast<qsizetype>(contents.size())));
    if (failed)
        return failed->toStdString();
    return std::nullopt;
}
