#include "weapons/FileKind.h"

#include <sys/stat.h>

TFileKind FileKindOf(const std::string& path)
{
    struct stat status = {};
    if (::stat(path.c_str(), &status) != 0)
        return TFileKind::Missing;
    if (S_ISREG(status.st_mode))
        return TFileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return TFileKind::Directory;
    if (S_ISFIFO(status.st_mode))
        return TFileKind::Fifo;
    if (S_ISCHR(status.st_mode))
        return TFileKind::CharacterDevice;
    if (S_ISBLK(status.st_mode))
        return TFileKind::BlockDevice;
    if (S_ISSOCK(status.st_mode))
        return TFileKind::Socket;
    return TFileKind::Other;
}

std::string_view FileKindText(TFileKind kind)
{
    switch (kind) {
    case TFileKind::Directory:
        return "a directory";
    case TFileKind::Fifo:
        return "a named pipe (FIFO)";
    case TFileKind::CharacterDevice:
        return "a character device";
    case TFileKind::BlockDevice:
        return "a block device";
    case TFileKind::Socket:
        return "a socket";
    case TFileKind::Other:
        return "not a regular file";
    case TFileKind::Missing:
    case TFileKind::Regular:
        break;
    }
    return {};
}
