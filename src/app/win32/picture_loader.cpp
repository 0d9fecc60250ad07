// The package loader: reads the program's own package (from a temporary copy of the program
// file) or a picture file named on the command line, and decodes the picture.
#include "app/package_reader.h"
#include "app/program_paths.h"
#include "app/win32/picture_window.h"
#include "app/win32/win32_files.h"
#include "app/win32/window_message_seam.h"
#include "common/byte_buffer.h"

namespace vistello {

// Fills the package record from the program's own package and reads the picture bytes.
bool PictureWindow::ReadPackage(ByteBuffer& picture) {
    const std::string program = programPath();
    PackageCopy copy("zub", program, packageOffsetLow);
    if (!copy.ready()) return false;
    // Values read before a failure stay, as the items are read in order; the rest keep their
    // start values.
    const bool itemsRead = readPackageItems(copy.source(), LinkItemRule::readWhenFlagIsOne, package);
    SetWindowTextA(m_hWnd, package.windowTitle.c_str());
    if (package.linkFlag == packageFlagPresent)
        package.linkTarget = resolveLinkTarget(package.linkTarget, folderWithoutSlash(program));
    if (!itemsRead) return false;
    return readPictureBytes(copy.source(), package.pictureLength, picture);
}

bool PictureWindow::DecodePicture(const ByteBuffer& picture) {
    WindowMessageSeam messages;
    return loadPicture(picture.data(), picture.size(), image, dibSeam, messages, imageKind);
}

bool PictureWindow::LoadPicture(const std::string& path) {
    ByteBuffer picture;
    if (path.empty()) {
        if (!ReadPackage(picture)) return false;
    } else if (!readWholeFile(path, picture)) {
        return false;
    }
    return DecodePicture(picture);
}

}  // namespace vistello
