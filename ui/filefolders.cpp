// ui/filefolders.cpp — where the file choosers open (ui layer)
#include "ui/filefolders.h"

#include "ui/chartdocument.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString FileFolders::folder() const
{
    if (!m_document.filePath().isEmpty())
        return QFileInfo(m_document.filePath()).absolutePath();
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    return QDir::homePath();
}

QString FileFolders::suggested(const QString &name) const
{
    return QDir(folder()).filePath(name);
}

void FileFolders::used(const QString &path)
{
    m_lastFolder = QFileInfo(path).absolutePath();
}

} // namespace velmora
