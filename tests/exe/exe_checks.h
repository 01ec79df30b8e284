// What the Windows program's file must hold for it to start and look right: the machine and
// subsystem, only system DLLs among its imports, and the embedded pictures and manifest in the
// exact formats the drawing code relies on. Each check returns an empty text when the part is
// as needed, else a sentence saying what is wrong.
#pragma once

#include <cstdint>
#include <string>

#include "tests/exe/pe_reader.h"

std::string CheckMachine(const PeImage& image, uint16_t machine);
std::string CheckSubsystem(const PeImage& image, uint16_t subsystem);

// Every import must be a DLL that Windows itself provides (compared without regard to case).
// A MinGW runtime DLL means the program was not linked statically and fails to start elsewhere.
std::string CheckImports(const PeImage& image);

// Icon group `id` holds exactly one picture of `size` x `size` at `bitCount` bits per pixel,
// and the icon it names is present with those dimensions.
std::string CheckIcon(const PeImage& image, uint32_t id, int size, int bitCount);

// Bitmap `id` is uncompressed (BI_RGB) with those dimensions and bits per pixel, and its
// pixel rows are all present.
std::string CheckBitmap(const PeImage& image, uint32_t id, int width, int height, int bitCount);

// Raw-data resource `id` is a whole PNG (chunks up to IEND) of that size, 8-bit RGBA.
std::string CheckPngPicture(const PeImage& image, uint32_t id, int width, int height);

// Manifest 1 names the assembly `name`, version `version` and processor architecture
// `architecture`, and neither asks for version 6 of the common controls nor declares DPI
// awareness.
std::string CheckManifest(const PeImage& image, const std::string& name,
                          const std::string& version, const std::string& architecture);
