#include "framework/diagnostics/DemoFile.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <new>

#include "framework/diagnostics/DemoStream.h"

namespace Lumo
{

namespace
{

const char kInvalid[] = "Invalid demo file.";

// Little-endian reads that refuse to run past the end.
struct ByteReader
{
    const std::string& bytes;
    size_t pos;

    size_t Left() const { return bytes.size() - pos; }
    bool U16(uint32_t* v)
    {
        if (Left() < 2)
            return false;
        *v = (uint8_t)bytes[pos] | (uint32_t)(uint8_t)bytes[pos + 1] << 8;
        pos += 2;
        return true;
    }
    bool U32(uint32_t* v)
    {
        if (Left() < 4)
            return false;
        *v = 0;
        for (int i = 0; i < 4; i++)
            *v |= (uint32_t)(uint8_t)bytes[pos + i] << (8 * i);
        pos += 4;
        return true;
    }
    bool Take(size_t n, std::string* out)
    {
        if (Left() < n)
            return false;
        out->assign(bytes, pos, n);
        pos += n;
        return true;
    }
};

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out += (char)((v >> (8 * i)) & 0xFF);
}

// The marker block: u32 count, then per marker a stream string and a u32 update.
bool ParseMarkers(const std::string& block, std::vector<DemoMarker>* markers)
{
    ByteReader r = {block, 0};
    uint32_t count;
    if (!r.U32(&count))
        return false;
    uint32_t read = 0;
    while (read < count && r.Left() > 0)
    {
        uint32_t length, update;
        DemoMarker marker;
        if (!r.U16(&length) || !r.Take(length, &marker.name) || !r.U32(&update) || update > INT_MAX)
            return false;
        marker.update = (int)update;
        markers->push_back(marker);
        read++;
    }
    return read == count;
}

// The version text of a file as the refusal shows it: printable characters
// only (a damaged file holds any bytes there), and not more than a line.
std::string ShownVersion(const std::string& version)
{
    const size_t kLongest = 40;
    std::string shown;
    for (size_t i = 0; i < version.size() && i < kLongest; i++)
    {
        unsigned char c = (unsigned char)version[i];
        shown += c >= 0x20 && c < 0x7F ? (char)c : '?';
    }
    if (version.size() > kLongest)
        shown += "...";
    return shown;
}

} // namespace

DemoFileRead ReadDemoFileBytes(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return DemoFileRead::NotFound;
    LARGE_INTEGER size;
    DemoFileRead result = DemoFileRead::NotFound;
    if (GetFileSizeEx(file, &size))
    {
        if ((uint64_t)size.QuadPart > kDemoFileLargest)
            result = DemoFileRead::TooLarge;
        else
        {
            try
            {
                bytes->resize((size_t)size.QuadPart);
                DWORD read = 0;
                result = bytes->empty() || (ReadFile(file, &(*bytes)[0], (DWORD)bytes->size(),
                                                     &read, nullptr) &&
                                            read == bytes->size())
                             ? DemoFileRead::Read
                             : DemoFileRead::NotFound;
            }
            catch (const std::bad_alloc&)
            {
                result = DemoFileRead::TooLarge;
            }
        }
    }
    CloseHandle(file);
    if (result != DemoFileRead::Read)
        bytes->clear();
    return result;
}

std::string BuildDemoFile(const DemoFileContents& contents)
{
    std::string out;
    PutU32(out, kDemoFileMagic);
    PutU32(out, contents.formatVersion);
    PutU32(out, contents.randomSeed);
    size_t length = contents.programVersion.size();
    if (length > 0xFFFF)
        length = 0xFFFF;
    out += (char)(length & 0xFF);
    out += (char)(length >> 8);
    out.append(contents.programVersion, 0, length);
    if (contents.formatVersion >= 2)
    {
        Buffer block;
        block.WriteLong((int)contents.markers.size());
        for (const DemoMarker& marker : contents.markers)
        {
            block.WriteString(marker.name);
            block.WriteLong(marker.update);
        }
        PutU32(out, (uint32_t)block.GetDataLen());
        if (block.GetDataLen() > 0)
            out.append((const char*)block.GetDataPtr(), (size_t)block.GetDataLen());
    }
    PutU32(out, (uint32_t)contents.totalUpdates);
    out += contents.stream;
    return out;
}

bool ParseDemoFile(const std::string& bytes, const std::string& programVersion,
                   DemoFileContents* contents, bool* seedRead, std::string* error)
{
    *seedRead = false;
    *error = kInvalid;
    ByteReader r = {bytes, 0};
    uint32_t magic, version, seed, length;
    if (!r.U32(&magic) || magic != kDemoFileMagic)
        return false;
    if (!r.U32(&version) || !r.U32(&seed))
        return false;
    contents->formatVersion = version;
    contents->randomSeed = seed;
    *seedRead = true;
    // A format this program does not know cannot be read as one it does.
    if (version < 1 || version > kDemoFileVersion)
        return false;

    // Longer version texts are read as their first 255 bytes, so such a file
    // never matches its program and is refused here.
    if (!r.U16(&length))
        return false;
    if (length > 255)
        length = 255;
    if (!r.Take(length, &contents->programVersion))
        return false;
    if (contents->programVersion != programVersion)
    {
        *error =
            "This demo file appears to be for '" + ShownVersion(contents->programVersion) + "'";
        return false;
    }

    contents->markers.clear();
    if (version >= 2)
    {
        uint32_t blockLength;
        std::string block;
        // The block must leave room for the total updates and at least one stream byte.
        if (!r.U32(&blockLength) || (uint64_t)blockLength + 4 >= r.Left() ||
            !r.Take(blockLength, &block) || !ParseMarkers(block, &contents->markers))
            return false;
    }

    uint32_t total;
    if (!r.U32(&total) || total > INT_MAX || r.Left() == 0)
        return false;
    contents->totalUpdates = (int)total;
    r.Take(r.Left(), &contents->stream);

    Buffer stream;
    stream.SetData(contents->stream.data(), (int)contents->stream.size());
    DemoStreamScan scan;
    if (contents->stream.size() > (size_t)(INT_MAX / 8) || !ScanDemoStream(stream, &scan) ||
        scan.lastUpdate > contents->totalUpdates)
        return false;

    error->clear();
    return true;
}

std::string DemoReplayFileName(const std::string& demoFile, const std::string& name)
{
    std::string base = demoFile;
    size_t dot = base.find_last_of('.');
    size_t slash = base.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        _stricmp(base.c_str() + dot, ".dmo") == 0)
        base.erase(dot);
    return base + "." + name;
}

} // namespace Lumo
