// ui/filefolders.h — where the file choosers open (ui layer)
#pragma once

#include <QString>

namespace velmora {

class ChartDocument;

// The folder of the open session, else of the last file used, else the home folder: never the
// working directory, which for a program started from a menu is anywhere.
class FileFolders {
public:
    explicit FileFolders(const ChartDocument &document)
        : m_document(document)
    {
    }

    QString folder() const;
    // A file of that name in that folder.
    QString suggested(const QString &name) const;
    // A file was opened or written: its folder is the one used last.
    void used(const QString &path);

private:
    const ChartDocument &m_document;
    QString m_lastFolder;
};

} // namespace velmora
