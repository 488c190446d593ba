#include "framework/diagnostics/ImageDump.h"

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DebugFiles.h"
#include "framework/graphics/D3DImageTextures.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ImageLib.h"

#include <cstdio>

namespace Lumo
{

namespace
{

const uint32_t kPageColor = 0xEEEEFF; // the page's BGCOLOR, under the thumbnails
const int kThumbSize = 64;

// A storage cell: its word and the bytes, or an empty cell.
std::string StorageCell(const char* word, int64_t bytes, const std::string& extra = "")
{
    if (bytes <= 0)
        return "<TD>&nbsp;</TD>";
    return std::string("<TD>") + word + extra + FormatThousands(bytes) + "</TD>";
}

std::string FlagCell(const char* word, bool on)
{
    return on ? std::string("<TD>") + word + "</TD>" : "<TD>&nbsp;</TD>";
}

std::string TotalCell(int64_t bytes)
{
    return "<TD>" + FormatThousands(bytes) + "</TD>";
}

} // namespace

int64_t ImageDumpEntry::TotalBytes() const
{
    return bitsBytes + paletteBytes + surfaceBytes + textureBytes + nativeAlphaBytes +
           runLengthAlphaBytes + runLengthAdditiveBytes;
}

ImageDumpEntry DescribeImage(MemoryImage* image, DDInterface* display)
{
    ImageDumpEntry e;
    e.width = image->mWidth;
    e.height = image->mHeight;
    e.fileName = image->mFileName;
    int64_t count = (int64_t)(e.width > 0 ? e.width : 0) * (e.height > 0 ? e.height : 0);
    DDImage* surfaceImage = dynamic_cast<DDImage*>(image);

    if (image->mPixels)
        e.bitsBytes = count * 4;
    if (image->mColorTable)
        e.paletteBytes = 256 * 4 + (image->mColorIndices ? count : 0);
    if (surfaceImage && surfaceImage->mSurface)
    {
        int bytesPerPixel = display && display->mBitsPerPixel > 0 ? display->mBitsPerPixel / 8 : 4;
        e.surfaceBytes = count * bytesPerPixel;
    }
    if (image->mTexture)
    {
        e.textureBytes = image->mTexture->textureBytes;
        e.textureFormat = TextureFormatName(image->mTexture->format);
    }
    if (image->mNativeAlphaData)
        e.nativeAlphaBytes = (image->mColorTable ? 256 : count) * 4;
    if (image->mRunLengthAlphaData)
        e.runLengthAlphaBytes = count;
    if (image->mRunLengthAdditiveData)
        e.runLengthAdditiveBytes = count;
    e.isVolatile = image->mPurgeWanted;
    e.forced = image->mAlphaFlagsForced;
    e.hasAlpha = image->mHasTranslucent;
    e.hasTrans = image->mHasTransparent;

    // The picture from whichever form holds it; an image without one stays listed.
    if (count <= 0 || count > 16 * 1024 * 1024)
        return e;
    if (image->mPixels)
    {
        e.pixels.assign(image->mPixels, image->mPixels + count);
    }
    else if (image->mColorTable && image->mColorIndices)
    {
        e.pixels.resize((size_t)count);
        for (int64_t i = 0; i < count; i++)
            e.pixels[(size_t)i] = image->mColorTable[image->mColorIndices[i]];
    }
    else if (surfaceImage && surfaceImage->mSurface && !surfaceImage->mNoLock &&
             !surfaceImage->DrawsThrough3D() && display)
    {
        int w = 0, h = 0;
        if (!ReadSurfacePixels(surfaceImage->mSurface, *display, e.pixels, w, h) || w != e.width ||
            h != e.height)
            e.pixels.clear();
    }
    else if (image->mTexture)
    {
        e.pixels.resize((size_t)count);
        if (!D3DInterface::ReadBackImageInto(image, e.pixels.data()))
            e.pixels.clear();
    }
    return e;
}

std::vector<uint32_t> MakeThumbnail(const std::vector<uint32_t>& pixels, int width, int height,
                                    int& thumbWidth, int& thumbHeight)
{
    int longest = width > height ? width : height;
    thumbWidth = width;
    thumbHeight = height;
    if (longest > kThumbSize)
    {
        thumbWidth = (int)((int64_t)width * kThumbSize / longest);
        thumbHeight = (int)((int64_t)height * kThumbSize / longest);
        thumbWidth = thumbWidth < 1 ? 1 : thumbWidth;
        thumbHeight = thumbHeight < 1 ? 1 : thumbHeight;
    }
    std::vector<uint32_t> thumb((size_t)thumbWidth * thumbHeight);
    const int bg[3] = {(int)(kPageColor >> 16) & 255, (int)(kPageColor >> 8) & 255,
                       (int)kPageColor & 255};
    for (int ty = 0; ty < thumbHeight; ty++)
    {
        int y0 = (int)((int64_t)ty * height / thumbHeight);
        int y1 = (int)((int64_t)(ty + 1) * height / thumbHeight);
        y1 = y1 > y0 ? y1 : y0 + 1;
        for (int tx = 0; tx < thumbWidth; tx++)
        {
            int x0 = (int)((int64_t)tx * width / thumbWidth);
            int x1 = (int)((int64_t)(tx + 1) * width / thumbWidth);
            x1 = x1 > x0 ? x1 : x0 + 1;
            // Colours weighted by their alpha, then laid over the page.
            int64_t sum[3] = {0, 0, 0}, alpha = 0, n = 0;
            for (int y = y0; y < y1; y++)
            {
                for (int x = x0; x < x1; x++)
                {
                    uint32_t p = pixels[(size_t)y * width + x];
                    int a = (int)(p >> 24);
                    sum[0] += (int64_t)((p >> 16) & 255) * a;
                    sum[1] += (int64_t)((p >> 8) & 255) * a;
                    sum[2] += (int64_t)(p & 255) * a;
                    alpha += a;
                    n++;
                }
            }
            uint32_t out = 0xFF000000;
            for (int c = 0; c < 3; c++)
            {
                int64_t v = (sum[c] + bg[c] * (255 * n - alpha)) / (255 * n);
                out |= (uint32_t)v << (16 - 8 * c);
            }
            thumb[(size_t)ty * thumbWidth + tx] = out;
        }
    }
    return thumb;
}

std::string WriteImageDump(const std::string& folder, const std::string& heading,
                           const std::vector<ImageDumpEntry>& entries)
{
    std::string dir = AddTrailingSlash(folder, true);
    MakeDirectories(dir);

    std::string page = dir + "imagelist.html";
    if (FileExists(page))
    {
        int highest = HighestFileNumber(dir, "imagelist", ".html");
        page = dir + "imagelist" + std::to_string((highest > 1 ? highest : 1) + 1) + ".html";
    }
    int highestImg = HighestFileNumber(dir, "img", ".png");
    int highestThumb = HighestFileNumber(dir, "thumb", ".jpg");
    int base = (highestImg > highestThumb ? highestImg : highestThumb) + 1;

    int64_t total = 0;
    for (const ImageDumpEntry& e : entries)
        total += e.TotalBytes();

    std::string html;
    html += "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>" + HtmlEscape(heading) +
            "</B></FONT><BR>\n";
    html += "Total Image Allocation: " + FormatThousands(total) + " bytes<BR>\n";
    html += "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>\n";

    int64_t sums[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < entries.size(); i++)
    {
        const ImageDumpEntry& e = entries[i];
        int number = base + (int)i;
        std::string imgName = StrFormat("img%04d.png", number);
        std::string thumbName = StrFormat("thumb%04d.jpg", number);

        std::string row = "<TR>";
        bool hasPicture = !e.pixels.empty() && e.pixels.size() == (size_t)e.width * e.height;
        if (hasPicture)
        {
            int tw = 0, th = 0;
            std::vector<uint32_t> thumb = MakeThumbnail(e.pixels, e.width, e.height, tw, th);
            bool wrote =
                ImageLib::WriteJPEGPixels(dir + thumbName, thumb.data(), tw, th) &&
                ImageLib::WritePNGPixels(dir + imgName, e.pixels.data(), e.width, e.height);
            if (!wrote)
                DebugWarning("LumoAppBase::DumpImages: cannot write " + dir + imgName);
            row += StrFormat("<TD><A HREF=%s><IMG SRC=%s WIDTH=%d HEIGHT=%d></A></TD>",
                             imgName.c_str(), thumbName.c_str(), tw, th);
        }
        else
            row += "<TD>no pixels</TD>";
        row += StrFormat("<TD ALIGN=RIGHT>%d x %d<BR>%s bytes</TD>", e.width, e.height,
                         FormatThousands(e.TotalBytes()).c_str());
        row += StorageCell("mBits<BR>", e.bitsBytes);
        row += StorageCell("Palletized<BR>", e.paletteBytes);
        row += StorageCell("DDSurface<BR>", e.surfaceBytes);
        row += StorageCell("Texture<BR>", e.textureBytes, HtmlEscape(e.textureFormat) + "<BR>");
        row += FlagCell("Volatile", e.isVolatile);
        row += FlagCell("Forced", e.forced);
        row += FlagCell("HasAlpha", e.hasAlpha);
        row += FlagCell("HasTrans", e.hasTrans);
        row += StorageCell("NativeAlpha<BR>", e.nativeAlphaBytes);
        row += StorageCell("RLAlpha<BR>", e.runLengthAlphaBytes);
        row += StorageCell("RLAdditive<BR>", e.runLengthAdditiveBytes);
        row += e.fileName.empty() ? "<TD>&nbsp;</TD>" : "<TD>" + HtmlEscape(e.fileName) + "</TD>";
        row += "</TR>\n";
        html += row;

        const int64_t values[8] = {
            e.TotalBytes(), e.bitsBytes,        e.paletteBytes,        e.surfaceBytes,
            e.textureBytes, e.nativeAlphaBytes, e.runLengthAlphaBytes, e.runLengthAdditiveBytes};
        for (int k = 0; k < 8; k++)
            sums[k] += values[k];
    }

    html += "<TR><TD>Totals</TD>";
    for (int k = 0; k < 5; k++)
        html += TotalCell(sums[k]);
    html += "<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>";
    for (int k = 5; k < 8; k++)
        html += TotalCell(sums[k]);
    html += "<TD>&nbsp;</TD></TR>\n";
    html += "</TABLE></CENTER></BODY></HTML>\n";

    FILE* file = fopen(page.c_str(), "wb");
    bool ok = file && fwrite(html.data(), 1, html.size(), file) == html.size();
    ok = file && fclose(file) == 0 && ok;
    if (!ok)
    {
        remove(page.c_str());
        DebugWarning("LumoAppBase::DumpImages: cannot write " + page);
        return "";
    }
    return page;
}

void LumoAppBase::DumpImages()
{
    std::vector<ImageDumpEntry> entries;
    {
        // The image set and the surfaces are the display lock's.
        if (mDDInterface)
            mDDInterface->mCritSect.Enter();
        for (MemoryImage* image : mMemoryImages)
            entries.push_back(DescribeImage(image, mDDInterface));
        if (mDDInterface)
            mDDInterface->mCritSect.Leave();
    }
    WriteImageDump(GetAppDataFolder() + "_dump",
                   mProductName + " " + mProductVersion + ": live images", entries);
}

} // namespace Lumo
