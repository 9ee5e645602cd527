#include "core/system/findfile.h"

#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/unistring.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool Matches(const char* pattern, const char* name)
{
    // Iterative wildcard match with one backtracking point for the last "*".
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name)
    {
        if (*pattern == '*')
        {
            star = pattern++;
            resume = name;
        }
        else if (*pattern == '?' || (*pattern && Lower(*pattern) == Lower(*name)))
        {
            ++pattern;
            ++name;
        }
        else if (star)
        {
            pattern = star + 1;
            name = ++resume;
        }
        else
            return false;
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}
} // namespace

bool FindPatternMatches(const char* pattern, const char* name)
{
    if (Matches(pattern, name))
        return true;
    // "name.*" also finds "name": try the name with an empty extension.
    const size_t length = std::strlen(pattern);
    if (length >= 2 && std::strcmp(pattern + length - 2, ".*") == 0 && !std::strchr(name, '.'))
    {
        char dotted[FIND_NAME_SIZE * 3 + 2];
        FormatStringN(dotted, sizeof dotted, "%s.", name);
        return Matches(pattern, dotted);
    }
    return false;
}

namespace
{
// The bits of an entry whose status is known.
u32 AttributeBits(const char* utf8Path, const struct stat& info)
{
    u32 bits = 0;
    if (S_ISDIR(info.st_mode))
        bits |= FILE_ATTRIBUTE_BIT_DIRECTORY;
    if (!(info.st_mode & S_IWUSR))
        bits |= FILE_ATTRIBUTE_BIT_READONLY;
    const char* slash = std::strrchr(utf8Path, '/');
    const char* name = slash ? slash + 1 : utf8Path;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        bits |= FILE_ATTRIBUTE_BIT_HIDDEN;
    return bits;
}
} // namespace

u32 FileAttributeBits(const char* utf8Path)
{
    struct stat info;
    return stat(utf8Path, &info) != 0 ? FILE_ATTRIBUTE_MISSING : AttributeBits(utf8Path, info);
}

u32 TFindFile::First(const char16_t* pattern, bool namesOnly)
{
    Close();
    m_bNamesOnly = namesOnly;
    char path[FIND_NAME_SIZE * 3];
    Utf16ToUtf8(path, sizeof path, pattern);
    ToSystemPath(path);
    char* slash = std::strrchr(path, '/');
    if (slash)
    {
        *slash = 0;
        FormatStringN(m_aFolder, sizeof m_aFolder, "%s", slash == path ? "/" : path);
        FormatStringN(m_aPattern, sizeof m_aPattern, "%s", slash + 1);
    }
    else
    {
        FormatStringN(m_aFolder, sizeof m_aFolder, ".");
        FormatStringN(m_aPattern, sizeof m_aPattern, "%s", path);
    }
    m_pDirectory = opendir(m_aFolder);
    return m_pDirectory ? Next() : 1;
}

u32 TFindFile::Next()
{
    if (!m_pDirectory)
        return 1;
    while (dirent* entry = readdir(static_cast<DIR*>(m_pDirectory)))
    {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
            !FindPatternMatches(m_aPattern, name))
            continue;
        if (m_bNamesOnly)
        {
            Utf8ToUtf16(m_aName, FIND_NAME_SIZE, name);
            m_nSize = 0;
            m_nAttributes = 0;
            return 0;
        }
        // Looked up from the open folder: no walk of the whole path per entry.
        struct stat info;
        if (fstatat(dirfd(static_cast<DIR*>(m_pDirectory)), name, &info, 0) != 0)
            continue; // vanished since the listing, or a dangling link
        Utf8ToUtf16(m_aName, FIND_NAME_SIZE, name);
        m_nSize = static_cast<u32>(info.st_size);
        m_nAttributes = AttributeBits(name, info);
        return 0;
    }
    Close();
    return 1;
}

void TFindFile::Close()
{
    if (m_pDirectory)
        closedir(static_cast<DIR*>(m_pDirectory));
    m_pDirectory = nullptr;
}
