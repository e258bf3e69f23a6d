#pragma once

#include "platform/VersionResource.h"

namespace corvel {

class ImageFile;

// The fixed file information (VS_FIXEDFILEINFO) of a PE image's first RT_VERSION resource, found
// through the resource data directory of a PE32 or PE32+ optional header.
namespace peversion {

// True when the file starts with the DOS header's "MZ".
bool isPe(ImageFile &file);
// Throw SystemError 1813 when the image is malformed or carries no version resource.
FileVersion read(ImageFile &file);
// Sets the file version and the product version.
void stamp(ImageFile &file, const FileVersion &version);

} // namespace peversion
} // namespace corvel
