// File restore, the BMP writer and the wallpaper commands of the picture window.
#include "app/package_reader.h"
#include "app/program_paths.h"
#include "app/win32/desktop_wallpaper.h"
#include "app/win32/new_file.h"
#include "app/win32/picture_window.h"
#include "app/win32/shell_copy.h"
#include "app/win32/win32_files.h"
#include "common/byte_buffer.h"
#include "framework/win_app.h"
#include "raster/bmp_writer.h"
#include "window/output_paths.h"

namespace vistello {
namespace {

// The picture bytes exactly as the package stores them, read from a temporary copy of the
// program file (deleted on every way out) and written to target. Everything is read before
// the target is touched.
int restorePackagePicture(uint32_t packageOffsetLow, const std::string& target) {
    ByteBuffer picture;
    {
        PackageCopy copy("vod", programPath(), packageOffsetLow);
        int32_t pictureLength = 0;
        if (!copy.ready() || !walkToPicture(copy.source(), pictureLength) ||
            !readPictureBytes(copy.source(), pictureLength, picture))
            return 0;
    }
    return writeNewFile(target, picture.bytes()) == NewFileResult::written ? 1 : 0;
}

}  // namespace

void PictureWindow::OnRestoreFile() {
    if (RestorePictureFile() == 1)
        (void)AfxMessageBox(folderWithSlash(programPath()) + "\nに画像ファイルを作成しました。");
    else
        (void)AfxMessageBox("画像ファイルの作成に失敗しました。");
}

// A picture named on the command line is copied as it is, named by its own extension; the
// package's picture is written from the package, named by its kind.
int PictureWindow::RestorePictureFile() {
    const std::string picturePath = commandLinePicturePath();
    const std::string extension =
        picturePath.empty() ? restoreExtensionForKind(imageKind) : restoreExtensionForPicturePath(picturePath);
    if (extension.empty()) return 0;
    const auto target = outputNameBesideProgram(programPath(), extension);
    if (!target) return 0;
    if (!picturePath.empty()) return CopyFileWithShell(picturePath, *target) ? 1 : 0;
    return restorePackagePicture(packageOffsetLow, *target);
}

// The decoded image at the picture's real size, bottom-up, with the colour table for 8 bits
// per pixel and fewer. Only a target that cannot be created is reported; a write that fails
// leaves no file behind.
int PictureWindow::WriteBmp(const std::string& target) {
    ByteBuffer file;
    if (!encodeBmpFile(image, file)) return 0;
    switch (writeNewFile(target, file.bytes())) {
    case NewFileResult::written: return 1;
    case NewFileResult::notCreated:
        (void)AfxMessageBox(target + "を\n出力ﾌｧｲﾙとして開くことが出来ません。");
        return 0;
    case NewFileResult::notWritten: break;
    }
    return 0;
}

// The wallpaper is the BMP file beside the program: a BMP picture's own bytes, or the decoded
// JPEG picture written as BMP. Nothing in the registry changes unless that file was written.
void PictureWindow::OnWallpaper(UINT command) {
    const auto name = outputNameBesideProgram(programPath(), "BMP");
    if (!name) return;
    int written = 0;
    if (imageKind == ImageKind::jpeg) {
        written = WriteBmp(*name);
    } else if (imageKind == ImageKind::bmp) {
        // Copied to exactly this name even when a command-line file is not called .bmp, so the
        // wallpaper never points at a stale file.
        const std::string picturePath = commandLinePicturePath();
        written = picturePath.empty() ? restorePackagePicture(packageOffsetLow, *name)
                                      : (CopyFileWithShell(picturePath, *name) ? 1 : 0);
    }
    if (written != 1) return;
    setDesktopWallpaper(command == IDM_WALLPAPER_TILE ? WallpaperLayout::tiled : WallpaperLayout::centred, *name);
}

}  // namespace vistello
