// ui/frenchdialogs.cpp — French where Qt's own catalogue has none (ui layer)
#include "ui/frenchdialogs.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFont>
#include <QFontDatabase>
#include <QIdentityProxyModel>

#include <cstring>

namespace velmora {

namespace {

struct Translation {
    const char *context;
    const char *source;
    const char *french;
};

constexpr Translation Missing[] = {
    { "QAbstractFileIconProvider", "Folder", "Dossier" },
    { "QAbstractFileIconProvider", "File Folder", "Dossier" },
    { "QAbstractFileIconProvider", "File", "Fichier" },
    { "QAbstractFileIconProvider", "Drive", "Lecteur" },
    { "QAbstractFileIconProvider", "Unknown", "Inconnu" },
    { "QAbstractFileIconProvider", "Alias", "Alias" },
    { "QAbstractFileIconProvider", "Shortcut", "Raccourci" },
    { "QFileSystemModel",
        "<b>The name \"%1\" cannot be used.</b><p>Try using another name, with fewer characters "
        "or no punctuation marks.",
        "<b>Le nom « %1 » ne peut pas être utilisé.</b><p>Essayez un autre nom, plus court ou "
        "sans signes de ponctuation." },
};

// Sizes and dates in French; the file system model writes them in the system's language.
class FrenchFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files || !index.isValid())
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 1 && !files->isDir(source))
            return sizeText(files->size(source));
        if (index.column() == 3)
            return files->lastModified(source).toString(QStringLiteral("dd/MM/yyyy HH:mm"));
        return QIdentityProxyModel::data(index, role);
    }

private:
    static QString sizeText(qint64 bytes)
    {
        if (bytes < 1024)
            return QStringLiteral("%1 octet%2").arg(bytes).arg(bytes > 1 ? "s" : "");
        const char *units[] = { "Kio", "Mio", "Gio", "Tio" };
        double size = static_cast<double>(bytes) / 1024;
        int unit = 0;
        while (size >= 1024 && unit < 3) {
            size /= 1024;
            ++unit;
        }
        return QString::number(size, 'f', 1) + ' ' + QLatin1String(units[unit]);
    }
};

} // namespace

QString MissingFrench::translate(
    const char *context, const char *sourceText, const char *, int) const
{
    if (!context || !sourceText)
        return {};
    for (const Translation &t : Missing)
        if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.source) == 0)
            return QString::fromUtf8(t.french);
    return {};
}

void MakeFrench(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new FrenchFileColumns(&dialog));
}

QFont RegularFont(const QString &family, int points)
{
    QFont font(family);
    font.setPointSize(points);
    // The style the chooser selects follows the font's style name: name the regular one.
    for (const QString &style : QFontDatabase::styles(family)) {
        if (!QFontDatabase::italic(family, style)
            && QFontDatabase::weight(family, style) == QFont::Normal
            && !style.contains(QLatin1String("Condensed"), Qt::CaseInsensitive)
            && !style.contains(QLatin1String("Oblique"), Qt::CaseInsensitive)) {
            font.setStyleName(style);
            break;
        }
    }
    return font;
}

} // namespace velmora
