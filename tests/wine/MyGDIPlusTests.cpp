// The picture engine against the real GDI+ under Wine: the decoder patterns, decoding real
// picture files made here with GDI+'s own encoders, refusing files that are not pictures or
// too large, and painting into bitmaps whose sizes and pixels are checked.
#include "Include/BitmapCanvas.h"
#include "Include/Core/FunStat.h"
#include "Include/MyGDIPlus.h"
#include "Include/MyWIC.h"
#include "Include/PictureDecoderClient.h"
#include "Include/WideText.h"
#include "support/GdiplusPictures.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace Gdiplus::DllExports;

namespace {

const uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;
const char* const Unreadable = "The file could not be read as a picture.";

CLSID EncoderFor(const wchar_t* mimeType) {
    CLSID clsid = CLSID();
    if (!EncoderFor(mimeType, clsid)) ADD_FAILURE() << "no encoder for a MIME type";
    return clsid;
}

// Writes a picture whose pixel (x, y) has the colour argb(x, y), 0xAARRGGBB.
void SavePicture(const std::wstring& path, int width, int height, const std::function<uint32_t(int, int)>& argb,
                 const wchar_t* mimeType = L"image/png") {
    const CLSID encoder = EncoderFor(mimeType);
    ASSERT_EQ(WritePictureFile(path, width, height, argb, PixelFormat32bppARGB, encoder), Gdiplus::Ok);
}

void SavePicture(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& argb,
                 const wchar_t* mimeType = L"image/png") {
    SavePicture(Utf8ToWide(path), width, height, argb, mimeType);
}

// Wine's GIF encoder writes no pixels from a 32-bit bitmap: GIF pictures are made from a
// palette picture of the four quarters' colours.
void SaveQuartersGif(const std::string& path, int width, int height) {
    Gdiplus::GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(width, height, 0, PixelFormat8bppIndexed, nullptr, &bitmap), Gdiplus::Ok);
    struct {
        UINT Flags;
        UINT Count;
        Gdiplus::ARGB Entries[4];
    } palette = {0, 4, {Red, Green, Blue, White}};
    GdipSetImagePalette(bitmap, reinterpret_cast<Gdiplus::ColorPalette*>(&palette));
    Gdiplus::BitmapData pixels = {};
    const Gdiplus::GpRect all = {0, 0, width, height};
    GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat8bppIndexed, &pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            static_cast<BYTE*>(pixels.Scan0)[y * pixels.Stride + x] =
                static_cast<BYTE>((y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0));
    GdipBitmapUnlockBits(bitmap, &pixels);
    const CLSID encoder = EncoderFor(L"image/gif");
    const Gdiplus::Status saved = GdipSaveImageToFile(bitmap, Utf8ToWide(path).c_str(), &encoder, nullptr);
    GdipDisposeImage(bitmap);
    ASSERT_EQ(saved, Gdiplus::Ok);
}

// GDI+ has no icon encoder: a 16 x 16 icon of one 32-bit bitmap, written field by field.
void SaveIcon(const std::string& path, uint32_t argb) {
    auto le16 = [](uint32_t v) { return std::string{char(v), char(v >> 8)}; };
    auto le32 = [&](uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); };
    const std::string colours = [&] {
        std::string all;
        for (int i = 0; i < 16 * 16; ++i) all += le32(argb);
        return all;
    }();
    const std::string mask(16 * 4, '\0');  // rows of 32 bits, all opaque
    const std::string bitmap = le32(40) + le32(16) + le32(32) + le16(1) + le16(32) + std::string(24, '\0') + colours + mask;
    WriteFileBytes(path, le16(0) + le16(1) + le16(1) + std::string{16, 16, 0, 0} + le16(1) + le16(32) +
                             le32(static_cast<uint32_t>(bitmap.size())) + le32(22) + bitmap);
}

uint32_t Plain(int, int) { return 0xFF808080u; }

// Red, green, blue and white quarters; the given quarter (0 to 3) transparent, or none (-1).
std::function<uint32_t(int, int)> Quarters(int width, int height, int transparent = -1) {
    return [=](int x, int y) {
        const int quarter = (y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0);
        if (quarter == transparent) return 0x00FFFFFFu;
        const uint32_t colours[] = {Red, Green, Blue, White};
        return colours[quarter];
    };
}

// Each channel within a few steps: scaling blends colours only near the edges between them.
bool Near(uint32_t pixel, uint32_t argb) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((argb >> shift) & 0xFF)) > 8)
            return false;
    return true;
}

uint32_t PixelAt(const TBitmapCanvas& image, int x, int y) {
    return image.Pixels()[static_cast<size_t>(y) * image.Width() + x] & 0xFFFFFFu;
}

void ExpectQuarters(const TBitmapCanvas& image, uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft,
                    uint32_t bottomRight) {
    const int w = image.Width(), h = image.Height();
    EXPECT_TRUE(Near(PixelAt(image, w / 4, h / 4), topLeft)) << std::hex << PixelAt(image, w / 4, h / 4);
    EXPECT_TRUE(Near(PixelAt(image, 3 * w / 4, h / 4), topRight)) << std::hex << PixelAt(image, 3 * w / 4, h / 4);
    EXPECT_TRUE(Near(PixelAt(image, w / 4, 3 * h / 4), bottomLeft)) << std::hex << PixelAt(image, w / 4, 3 * h / 4);
    EXPECT_TRUE(Near(PixelAt(image, 3 * w / 4, 3 * h / 4), bottomRight))
        << std::hex << PixelAt(image, 3 * w / 4, 3 * h / 4);
}

void ExpectFailure(const std::string& description, const std::string& path) {
    const TFunStatContext& record = CurrentFunStatContext;
    EXPECT_EQ(record.Status, fsError);
    EXPECT_EQ(record.File, "Include\\MyGDIPlus");
    EXPECT_EQ(record.Function, "LoadPictureFile");
    EXPECT_EQ(record.Description, description);
    EXPECT_EQ(record.Parameter1, path);
}

class MyGDIPlusTest : public ::testing::Test {
protected:
    void SetUp() override { CurrentFunStatContext.Reset(fsPerfect); }
    void TearDown() override { CurrentFunStatContext.Reset(fsPerfect); }

    std::unique_ptr<TPicture> Load(const std::string& path) {
        std::unique_ptr<TPicture> picture = LoadPictureFile(path);
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
        EXPECT_NE(picture, nullptr);
        return picture;
    }

    // Paints the puzzle image of a picture into an area, with the piece size from the area and
    // the chosen counts as the game computes it.
    void PaintPuzzle(const TPicture& picture, int width, int height, int columnsCount, int rowsCount) {
        image_ = PaintPictureToGrid(picture, true, width, height, width / columnsCount, height / rowsCount, 30, 30,
                                    columns_, rows_);
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    }

    void ExpectImage(int columns, int rows, int width, int height) {
        ASSERT_NE(image_, nullptr);
        EXPECT_EQ(columns_, columns);
        EXPECT_EQ(rows_, rows);
        EXPECT_EQ(image_->Width(), width);
        EXPECT_EQ(image_->Height(), height);
    }

    TTempFolder folder_{"Pictures"};
    std::unique_ptr<TBitmapCanvas> image_;
    int columns_ = -1;
    int rows_ = -1;
};


}  // namespace

// --- decoder patterns ------------------------------------------------------------------------

TEST_F(MyGDIPlusTest, FilterListsEveryDecoderLowerCaseInOrder) {
    const std::string patterns = GetPictureExtensionsAsFilter();
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
    // Wine's eight GDI+ decoders (BMP, JPEG, GIF, TIFF, EMF, WMF, PNG, ICO), then the formats of our
    // own decoders and of HEIF codecs, then what else WIC's decoders read.
    const std::string gdiplusAndOthers = "*.bmp;*.dib;*.rle;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.tiff;*.tif;*.emf;*.wmf;"
                                         "*.png;*.ico;*.webp;*.avif;*.heic;*.heif";
    EXPECT_EQ(patterns.compare(0, gdiplusAndOthers.size(), gdiplusAndOthers), 0) << patterns;
    EXPECT_NE(patterns.find(";*.dds"), std::string::npos) << "Wine's WIC decodes DDS, which its GDI+ does not";
    EXPECT_NE(patterns.back(), ';');
    EXPECT_EQ(patterns.find(";;"), std::string::npos);
    EXPECT_EQ(std::count_if(patterns.begin(), patterns.end(), [](char c) { return c >= 'A' && c <= 'Z'; }), 0);
    EXPECT_EQ(patterns.find("*.png", patterns.find("*.png") + 1), std::string::npos) << "listed by GDI+ and WIC, once";
}

// --- decoding ---------------------------------------------------------------------------------

TEST_F(MyGDIPlusTest, PicturesOfEveryRasterFormatAreDecodedWithTheirSize) {
    const struct {
        const char* name;
        const wchar_t* mimeType;
    } formats[] = {{"a.png", L"image/png"}, {"a.jpg", L"image/jpeg"}, {"a.gif", L"image/gif"},
                   {"a.bmp", L"image/bmp"}, {"a.tif", L"image/tiff"}};
    for (const auto& format : formats) {
        SCOPED_TRACE(format.name);
        const std::string path = folder_ / format.name;
        if (std::wcscmp(format.mimeType, L"image/gif") == 0)
            SaveQuartersGif(path, 123, 45);
        else
            SavePicture(path, 123, 45, Quarters(123, 45), format.mimeType);
        std::unique_ptr<TPicture> picture = Load(path);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Width(), 123);
        EXPECT_EQ(picture->Height(), 45);
        EXPECT_EQ(picture->FileName(), path);
        PaintPuzzle(*picture, 492, 180, 5, 5);
        ExpectImage(5, 5, 490, 180);
        ExpectQuarters(*image_, Red, Green, Blue, White);
    }

    const std::string icon = folder_ / "a.ico";
    SaveIcon(icon, Blue);
    std::unique_ptr<TPicture> picture = Load(icon);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 16);
    EXPECT_EQ(picture->Height(), 16);
    PaintPuzzle(*picture, 160, 160, 5, 5);
    ExpectQuarters(*image_, Blue, Blue, Blue, Blue);
}

// An enhanced metafile of the four quarters' colours, 2.54 cm square.
void SaveQuartersMetafile(const std::string& path) {
    const RECT frame = {0, 0, 2540, 2540};  // in 0.01 mm
    HDC metafile = CreateEnhMetaFileW(nullptr, Utf8ToWide(path).c_str(), &frame, nullptr);
    ASSERT_NE(metafile, nullptr);
    const int side = GetDeviceCaps(metafile, LOGPIXELSX);  // an inch in the metafile's units
    const uint32_t colours[] = {Red, Green, Blue, White};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const uint32_t argb = colours[quarter];
        HBRUSH brush = CreateSolidBrush(RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
        const RECT part = {quarter % 2 * side / 2, quarter / 2 * side / 2, (quarter % 2 + 1) * side / 2,
                           (quarter / 2 + 1) * side / 2};
        FillRect(metafile, &part, brush);
        DeleteObject(brush);
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(metafile));
}

// What the system's decoders give crosses from the decoder process as pixels no larger than the
// areas need: a large raster averaged down, a metafile drawn from its vectors at the areas' size;
// one decoder process, kept warm, serves every load.
TEST_F(MyGDIPlusTest, PicturesOfTheSystemsDecodersCrossAsPixelsTheSizeTheAreasNeed) {
    const std::string large = folder_ / "large.png", metafile = folder_ / "quarters.emf";
    SavePicture(large, 1200, 900, Quarters(1200, 900));
    SaveQuartersMetafile(metafile);
    std::unique_ptr<TPicture> raster = LoadPictureFile(large, {{300, 300}, {200, 100}});
    const uint32_t started = DecoderProcessesStarted();
    ASSERT_NE(raster, nullptr);
    EXPECT_EQ(raster->Width(), 1200);
    EXPECT_EQ(raster->DecodedWidth(), 300);
    EXPECT_EQ(raster->DecodedHeight(), 225);
    PaintPuzzle(*raster, 300, 225, 5, 5);
    ExpectQuarters(*image_, Red, Green, Blue, White);

    std::unique_ptr<TPicture> drawing = LoadPictureFile(metafile, {{480, 480}});
    ASSERT_NE(drawing, nullptr);
    EXPECT_LT(drawing->Width(), 480);
    EXPECT_EQ(drawing->DecodedWidth(), 480);
    EXPECT_EQ(drawing->DecodedHeight(), 480);
    PaintPuzzle(*drawing, 480, 480, 4, 4);
    ExpectQuarters(*image_, Red, Green, Blue, White);
    EXPECT_EQ(DecoderProcessesStarted(), started) << "the decoder process is reused";
    // What of the wall stands is known. Wine grants every part (and enforces neither the token
    // nor the job's limits, which the game's own watch makes up for).
    const TDecoderWall wall = DecoderWallInForce();
    EXPECT_EQ(DecoderWallText(wall), "least rights, job, lent handles only");

    // A decoder process that ended is replaced by the next load.
    EndPictureDecoder();
    ASSERT_NE(LoadPictureFile(large), nullptr);
    EXPECT_EQ(DecoderProcessesStarted(), started + 1);

    // One that died and cannot be started again is reported with the start's own error and the
    // program it tried; the next load that can start one has its picture.
    for (DWORD child : ChildProcesses(GetCurrentProcessId())) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
        ASSERT_NE(process, nullptr);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, StepTimeout);
        CloseHandle(process);
    }
    DecoderProgramForTests = L"C:\\Tilvane\\nowhere\\Tilvane.exe";
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(LoadPictureFile(large), nullptr);
    DecoderProgramForTests.clear();
    EXPECT_EQ(CurrentFunStatContext.Description, "The picture decoder could not be started.");
    EXPECT_EQ(CurrentFunStatContext.Parameter1, "C:\\Tilvane\\nowhere\\Tilvane.exe");
    EXPECT_EQ(CurrentFunStatContext.Parameter2, large);
    EXPECT_TRUE(CurrentFunStatContext.SystemErrorCode == ERROR_FILE_NOT_FOUND ||
                CurrentFunStatContext.SystemErrorCode == ERROR_PATH_NOT_FOUND)
        << CurrentFunStatContext.SystemErrorCode;
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_NE(LoadPictureFile(large), nullptr);
}

TEST_F(MyGDIPlusTest, FilesThatAreNoPicturesAreRefused) {
    const std::string text = folder_ / "notes.png";
    WriteFileBytes(text, "This is a text file, not a picture.\r\n");
    const std::string empty = folder_ / "empty.jpg";
    WriteFileBytes(empty, "");
    const std::string missing = folder_ / "missing.png";
    // A true header with nothing decodable after it.
    const std::string damaged = folder_ / "damaged.png";
    SavePicture(damaged, 64, 64, Quarters(64, 64));
    std::string bytes = ReadFileBytes(damaged);
    std::fill(bytes.begin() + 33, bytes.end(), '\x55');
    WriteFileBytes(damaged, bytes);
    // A header that breaks off.
    const std::string cut = folder_ / "cut.jpg";
    WriteFileBytes(cut, std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));

    for (const std::string& path : {text, missing, damaged, cut, folder_.Path(), std::string()}) {
        SCOPED_TRACE(path);
        CurrentFunStatContext.Reset(fsPerfect);
        EXPECT_EQ(LoadPictureFile(path), nullptr);
        ExpectFailure(Unreadable, path);
    }
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(LoadPictureFile(empty), nullptr);
    ExpectFailure("The file is empty.", empty);
    CurrentFunStatContext.Reset(fsPerfect);
    LoadPictureFile(missing);
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, static_cast<int32_t>(ERROR_FILE_NOT_FOUND));
}

// Damaged, truncated and hostile files of every format (the files the fuzzers keep, staged by the
// test scripts) each come back as a picture or as the decoders' own refusal: none ends the
// decoder process, which serves every picture until one is refused; a fresh one takes the next.
TEST_F(MyGDIPlusTest, EveryFileTheFuzzersKeepGetsAPictureOrARefusalAndARefusalAFreshDecoder) {
    const std::string folder = "C:\\Tilvane\\hostile\\";
    const std::vector<std::string> names = EntriesOf(folder);
    ASSERT_GT(names.size(), 400u) << "the files are staged by scripts/wine-env.sh";
    EndPictureDecoder();
    const uint32_t started = DecoderProcessesStarted();
    size_t loaded = 0, refused = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        CurrentFunStatContext.Reset(fsPerfect);
        const std::unique_ptr<TPicture> picture = LoadPictureFile(folder + name, {{1190, 880}, {440, 500}});
        if (picture) {
            ++loaded;
            EXPECT_GT(picture->DecodedWidth(), 0);
        } else {
            ++refused;
            EXPECT_EQ(CurrentFunStatContext.Status, fsError);
            EXPECT_EQ(CurrentFunStatContext.Description.find("its decoder"), std::string::npos)
                << CurrentFunStatContext.Description;
        }
    }
    EXPECT_GT(loaded, 30u) << "the seeds and the corpora hold whole pictures too";
    EndPictureDecoder();  // and any start still under way
    EXPECT_EQ(DecoderProcessesStarted(), started + 1 + refused);
}

// A file goes to the decoder its content asks for, whatever its name says.
TEST_F(MyGDIPlusTest, FilesNamedAsAnotherFormatAreDecodedByTheirContent) {
    const struct {
        const char* name;
        const wchar_t* mimeType;
    } misnamed[] = {{"png.jpg", L"image/png"}, {"jpeg.png", L"image/jpeg"}, {"bmp.gif", L"image/bmp"},
                    {"tiff.png", L"image/tiff"}, {"png.heic", L"image/png"}, {"png", L"image/png"}};
    for (const auto& file : misnamed) {
        SCOPED_TRACE(file.name);
        const std::string path = folder_ / file.name;
        SavePicture(path, 120, 80, Quarters(120, 80), file.mimeType);
        std::unique_ptr<TPicture> picture = Load(path);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Width(), 120);
        PaintPuzzle(*picture, 480, 320, 5, 5);
        ExpectQuarters(*image_, Red, Green, Blue, White);
    }
}

namespace {

std::string Le32Bytes(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// The header of a DDS surface, uncompressed 32-bit or in DXT1 blocks: a format Wine's WIC reads
// and its GDI+ does not.
std::string DdsHeader(uint32_t width, uint32_t height, bool dxt1 = false) {
    const auto le32 = Le32Bytes;
    const uint32_t caps = 0x1 | 0x2 | 0x4 | 0x1000, rgbWithAlpha = 0x40 | 0x1, fourCc = 0x4;
    std::string file = "DDS " + le32(124) + le32(caps) + le32(height) + le32(width) + le32(width * 4) + le32(0) +
                       le32(0) + std::string(44, '\0');
    if (dxt1)
        file += le32(32) + le32(fourCc) + "DXT1" + std::string(20, '\0');
    else
        file += le32(32) + le32(rgbWithAlpha) + le32(0) + le32(32) + le32(0x00FF0000) + le32(0x0000FF00) +
                le32(0x000000FF) + le32(0xFF000000);
    return file + le32(0x1000) + std::string(16, '\0');
}

std::string DdsFile(uint32_t width, uint32_t height, const std::function<uint32_t(int, int)>& argb) {
    std::string file = DdsHeader(width, height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) file += Le32Bytes(argb(static_cast<int>(x), static_cast<int>(y)));
    return file;
}

// The start of a HEIC file as phones write it: the file type box, then boxes nobody reads here.
std::string HeicFile() {
    return std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24) + std::string("\0\0\0\x10" "meta\0\0\0\0\0\0\0\0", 16);
}

}  // namespace

// What neither our decoders nor GDI+ read goes to the codecs installed for WIC.
TEST_F(MyGDIPlusTest, FilesGdiplusDeclinesAreDecodedByWic) {
    const std::string path = folder_ / "surface.dds";
    WriteFileBytes(path, DdsFile(64, 48, Quarters(64, 48, 1)));
    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 64);
    EXPECT_EQ(picture->Height(), 48);
    PaintPuzzle(*picture, 256, 192, 4, 4);
    ExpectImage(4, 4, 256, 192);
    ExpectQuarters(*image_, Red, 0, Blue, White);  // transparent shows black, as always
}

// WIC's pictures come out upright as their metadata says, as a phone's HEIC photo must. Wine's
// WIC answers the orientation of TIFFs only: a portrait picture stored turned each of the eight
// ways (scripts/make-test-pictures.sh) is the upright one pixel for pixel, at its upright size.
TEST_F(MyGDIPlusTest, PicturesWicDecodesComeOutUpright) {
    const std::wstring pictures = L"C:\\Tilvane\\pictures\\";
    const TWicPicture upright = DecodeWithWic(pictures + L"upright.png");
    ASSERT_EQ(upright.Outcome, TWicOutcome::Decoded) << "scripts/make-test-pictures.sh makes upright.png";
    ASSERT_GT(upright.Height, upright.Width);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::wstring name = L"turned-" + std::to_wstring(orientation) + L".tif";
        SCOPED_TRACE(WideToUtf8(name));
        const TWicPicture turned = DecodeWithWic(pictures + name);
        ASSERT_EQ(turned.Outcome, TWicOutcome::Decoded);
        EXPECT_EQ(turned.Width, upright.Width);
        EXPECT_EQ(turned.Height, upright.Height);
        EXPECT_TRUE(turned.Pixels == upright.Pixels);
    }

    // More rows than one band of the reading holds: every row lands where it belongs.
    const int width = 2100, height = 2000;
    const auto pattern = [](int x, int y) {
        return 0xFF000000u | (static_cast<uint32_t>(x * 7 + y * 131) & 0xFFFFFFu);
    };
    const std::string path = folder_ / "large.dds";
    WriteFileBytes(path, DdsFile(width, height, pattern));
    const TWicPicture large = DecodeWithWic(Utf8ToWide(path));
    ASSERT_EQ(large.Outcome, TWicOutcome::Decoded);
    std::vector<uint32_t> expected;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) expected.push_back(pattern(x, y));
    EXPECT_TRUE(large.Pixels == expected);
}

// Wine's WIC has no HEIF codec, as a Windows without the store's extensions: the player is told
// what the file is and what to install, never that it is damaged. A name may say otherwise.
TEST_F(MyGDIPlusTest, APictureWithoutAnInstalledCodecNamesWhatToInstall) {
    const std::string heifAdvice =
        "This HEIC/HEIF picture cannot be loaded: Windows has no codec for it. Install the HEIF Image Extensions and "
        "the HEVC Video Extensions from the Microsoft Store, then load it again.";
    for (const char* name : {"photo.heic", "exported.jpg", "photo.heif"}) {
        SCOPED_TRACE(name);
        const std::string path = folder_ / name;
        WriteFileBytes(path, HeicFile());
        CurrentFunStatContext.Reset(fsPerfect);
        EXPECT_EQ(LoadPictureFile(path), nullptr);
        ExpectFailure(heifAdvice, path);
    }
    const std::string jpegXl = folder_ / "picture.jxl";
    WriteFileBytes(jpegXl, std::string("\xFF\x0A\xFA\x7F\x01\x90\x08", 7));
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(LoadPictureFile(jpegXl), nullptr);
    ExpectFailure("This JPEG XL picture cannot be loaded: Windows has no codec for it. Install the JPEG XL Image "
                  "Extension from the Microsoft Store, then load it again.",
                  jpegXl);

    // Formats nothing here reads are named, whatever the file is called.
    const std::pair<const char*, std::string> named[] = {
        {"This JPEG 2000 picture", std::string("\0\0\0\x0CjP  \r\n\x87\n\0\0\0\x14" "ftypjp2 ", 20)},
        {"This Photoshop document", std::string("8BPS\0\1\0\0\0\0\0\0\0\3", 14)},
        {"This mouse cursor", std::string("\0\0\2\0\1\0\x10\x10\0\0\1\0\1\0\x28\0\0\0\x16\0\0\0", 22)},
        {"This Mac icon", std::string("icns\0\0\0\x08", 8)},
    };
    for (const auto& file : named) {
        SCOPED_TRACE(file.first);
        const std::string path = folder_ / "picture.png";
        WriteFileBytes(path, file.second);
        CurrentFunStatContext.Reset(fsPerfect);
        EXPECT_EQ(LoadPictureFile(path), nullptr);
        EXPECT_EQ(CurrentFunStatContext.Description.rfind(file.first, 0), 0u) << CurrentFunStatContext.Description;
    }

    // A file type box cut off is no known format: the usual refusal.
    const std::string cut = folder_ / "cut.heic";
    WriteFileBytes(cut, HeicFile().substr(0, 14));
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(LoadPictureFile(cut), nullptr);
    ExpectFailure(Unreadable, cut);
}

TEST_F(MyGDIPlusTest, SmallFilesClaimingHugePicturesAreRefusedWithTheSize) {
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string png = folder_ / "huge.png";
    WriteFileBytes(png, std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(60000) + be32(60000) +
                            std::string("\x08\x02\0\0\0", 5) + be32(0) + be32(2) + "IDAT" + "\x78\x9c" + be32(0));
    const std::string bmp = folder_ / "huge.bmp";
    WriteFileBytes(bmp, "BM" + le32(70) + le32(0) + le32(54) + le32(40) + le32(60000) + le32(60000) +
                            std::string("\x01\x00\x18\x00", 4) + std::string(24, '\0') + std::string(16, '\x7F'));
    for (const std::string& path : {png, bmp}) {
        SCOPED_TRACE(path);
        CurrentFunStatContext.Reset(fsPerfect);
        EXPECT_EQ(LoadPictureFile(path), nullptr);
        ExpectFailure("The picture of 60000 x 60000 pixels is too large to load.", path);
    }

    // Through WIC: a whole surface of 134 megapixels in 64 MB of DXT1 blocks, refused from the
    // frame's size before any pixel is decoded.
    const std::string dds = folder_ / "large.dds";
    WriteFileBytes(dds, DdsHeader(16384, 8192, true) + std::string(size_t(16384 / 4) * (8192 / 4) * 8, '\0'));
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(LoadPictureFile(dds), nullptr);
    ExpectFailure("The picture of 16384 x 8192 pixels is too large to load.", dds);
    DeleteFileA(dds.c_str());
}

TEST_F(MyGDIPlusTest, LongPathsLoadLikeAnyOther) {
    // Folders of 50 characters until the file's path is 270 characters long.
    std::wstring folder = L"\\\\?\\" + Utf8ToWide(folder_.Path());
    std::string path = folder_.Path();
    std::vector<std::wstring> made;
    while (path.size() + 51 + 12 < 270) {
        const std::string name(50, static_cast<char>('a' + made.size()));
        folder += L"\\" + Utf8ToWide(name);
        path += "\\" + name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        made.push_back(folder);
    }
    const std::string name = std::string(270 - path.size() - 1 - 4, 'p') + ".png";
    path += "\\" + name;
    ASSERT_EQ(path.size(), 270u);
    const std::wstring file = folder + L"\\" + Utf8ToWide(name);
    SavePicture(file, 40, 30, Plain);

    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 40);
    EXPECT_EQ(picture->Height(), 30);
    picture.reset();  // the file is free again

    EXPECT_TRUE(DeleteFileW(file.c_str()));
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW(it->c_str());
}

// --- grids --------------------------------------------------------------------------------------

TEST_F(MyGDIPlusTest, PuzzleGridsFollowThePicturesProportions) {
    const struct {
        const char* name;
        int pictureWidth, pictureHeight, areaWidth, areaHeight, columnsCount, rowsCount;
        int columns, rows, width, height;
    } cases[] = {
        // Matching proportions: the chosen grid, pieces of 114 x 128.
        {"matching", 400, 450, 800, 900, 7, 7, 7, 7, 798, 896},
        // 600 / 29 leaves pixels over for a 30th column of 20.
        {"wide", 300, 200, 600, 400, 29, 5, 30, 5, 600, 400},
        // Tall in a wide area: fitted 420 x 600, pieces 128 x 85.
        {"tall", 70, 100, 900, 600, 7, 7, 3, 7, 384, 595},
        // Fitted 9 x 900: stretched to one piece of 114 across.
        {"narrow", 4, 400, 800, 900, 7, 7, 1, 7, 114, 896},
        // 50 pieces of 20 would fit each way: 30 are painted.
        {"square", 50, 50, 1000, 1000, 50, 50, 30, 30, 600, 600},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string path = folder_ / (std::string(test.name) + ".png");
        SavePicture(path, test.pictureWidth, test.pictureHeight, Plain);
        std::unique_ptr<TPicture> picture = Load(path);
        ASSERT_NE(picture, nullptr);
        PaintPuzzle(*picture, test.areaWidth, test.areaHeight, test.columnsCount, test.rowsCount);
        ExpectImage(test.columns, test.rows, test.width, test.height);
    }
}

TEST_F(MyGDIPlusTest, TheOriginalImageIsAMultipleOfTheGridWithAPixelPerCell) {
    const std::string path = folder_ / "original.png";
    SavePicture(path, 440, 330, Plain);
    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    image_ = PaintPictureUsingGrid(*picture, true, 440, 500, 7, 7);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
    ASSERT_NE(image_, nullptr);
    EXPECT_EQ(image_->Width(), 434);
    EXPECT_EQ(image_->Height(), 329);

    // Fitted 5 pixels wide: still 7 columns of one pixel.
    const std::string narrow = folder_ / "narrow.png";
    SavePicture(narrow, 4, 400, Plain);
    picture = Load(narrow);
    ASSERT_NE(picture, nullptr);
    image_ = PaintPictureUsingGrid(*picture, true, 440, 500, 7, 7);
    ASSERT_NE(image_, nullptr);
    EXPECT_EQ(image_->Width(), 7);
    EXPECT_EQ(image_->Height(), 497);
}

// --- painting ----------------------------------------------------------------------------------

TEST_F(MyGDIPlusTest, ThePictureIsPaintedOverTheWholeImage) {
    const std::string path = folder_ / "quarters.png";
    SavePicture(path, 200, 160, Quarters(200, 160));
    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    PaintPuzzle(*picture, 800, 900, 7, 7);  // fitted 800 x 640, 7 x 5 pieces of 114 x 128
    ExpectImage(7, 5, 798, 640);
    ExpectQuarters(*image_, Red, Green, Blue, White);

    // The original image after it, smaller, scaled from the puzzle's drawing.
    std::unique_ptr<TBitmapCanvas> original = PaintPictureUsingGrid(*picture, true, 440, 500, 7, 5);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->Width(), 434);
    EXPECT_EQ(original->Height(), 350);
    ExpectQuarters(*original, Red, Green, Blue, White);

    // A larger original than the puzzle comes from the picture itself.
    original = PaintPictureUsingGrid(*picture, true, 1100, 1000, 7, 5);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(original->Width(), 1099);
    EXPECT_EQ(original->Height(), 880);
    ExpectQuarters(*original, Red, Green, Blue, White);
}

TEST_F(MyGDIPlusTest, TransparentPartsShowBlack) {
    const std::string path = folder_ / "transparent.png";
    SavePicture(path, 200, 200, Quarters(200, 200, 1));
    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    PaintPuzzle(*picture, 600, 600, 6, 6);
    ExpectImage(6, 6, 600, 600);
    ExpectQuarters(*image_, Red, 0, Blue, White);
}

TEST_F(MyGDIPlusTest, APictureTooLargeForMemoryGivesNoBitmapAndKeepsTheGrid) {
    const std::string path = folder_ / "square.png";
    SavePicture(path, 100, 100, Plain);
    std::unique_ptr<TPicture> picture = Load(path);
    ASSERT_NE(picture, nullptr);
    PaintPuzzle(*picture, 500, 500, 5, 5);
    ASSERT_NE(image_, nullptr);

    // 16 GiB of pixels: more than the system gives one bitmap.
    EXPECT_EQ(PaintPictureToGrid(*picture, true, 65536, 65536, 65536, 65536, 30, 30, columns_, rows_), nullptr);
    EXPECT_EQ(CurrentFunStatContext.Status, fsError);
    EXPECT_EQ(CurrentFunStatContext.File, "Include\\MyGDIPlus");
    EXPECT_EQ(CurrentFunStatContext.Function, "PaintPictureToGrid");
    EXPECT_EQ(CurrentFunStatContext.Description,
              "Unhandled exception: Not enough memory for a picture of 65536 x 65536 pixels.");
    EXPECT_EQ(columns_, 5);
    EXPECT_EQ(rows_, 5);

    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(PaintPictureUsingGrid(*picture, true, 65536, 65536, 5, 5), nullptr);
    EXPECT_EQ(CurrentFunStatContext.Function, "PaintPictureUsingGrid");
    EXPECT_EQ(CurrentFunStatContext.Description,
              "Unhandled exception: Not enough memory for a picture of 65535 x 65535 pixels.");
}
