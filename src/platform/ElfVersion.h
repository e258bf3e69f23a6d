#pragma once

#include "platform/VersionResource.h"

namespace corvel {

class ImageFile;

// The package metadata note of an ELF image (owner "FDO", type 0xcafe1a7e, a JSON object whose
// "version" is the dotted four-number version), found through the note sections or, when the
// section headers are gone, the note segments. 32- and 64-bit, either byte order.
namespace elfversion {

bool isElf(ImageFile &file);
// Throws SystemError 1813 when the image is malformed or carries no versioned note.
FileVersion read(ImageFile &file);
// Rewrites the note's JSON in place, padded with blanks to the note's existing size.
void stamp(ImageFile &file, const FileVersion &version);

} // namespace elfversion
} // namespace corvel
