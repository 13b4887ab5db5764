#include "FolderItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

FolderItem::FolderItem(String nativePath)
    : path_(std::move(nativePath))
{
}

const ClassRecord& FolderItem::Class()
{
    static const ClassRecord& record
        = ClassRegistry::Register(ClassRecordBuilder("FolderItem", &Object::Class()).Build());
    return record;
}

String FolderItem::Name() const
{
    std::string_view path = path_.View();
    // "/a/b/" names b; the root keeps its own name.
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string_view::npos)
        return path.empty() ? String() : String("/");
    std::size_t begin = path.find_last_of('/', end);
    begin = begin == std::string_view::npos ? 0 : begin + 1;
    return path_.SubBytes(begin, end + 1 - begin);
}

namespace {

bool Stat(const String& path, struct stat& info)
{
    std::string name = path.ToStdString();
    // A path with a NUL in it names no file; the C call would see a shorter one.
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
    return ::stat(name.c_str(), &info) == 0;
}

} // namespace

bool FolderItem::Exists() const
{
    struct stat info;
    return Stat(path_, info);
}

bool FolderItem::Directory() const
{
    struct stat info;
    return Stat(path_, info) && S_ISDIR(info.st_mode);
}

Ref<FolderItem> SpecialFolder::Documents()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return New<FolderItem>(String(QFile::encodeName(folder).toStdString()));
}
