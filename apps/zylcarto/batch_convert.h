#pragma once
// Conversion of "U V" lines from a file or standard input in blocks, shared by
// fit --to-position/--to-pixel and map to-position/to-pixel, and the
// conversions of a calibration in both directions.
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

#include "cli.h"

namespace zylcarto {
class TMapCalibration;
class TCRSConverter;
}  // namespace zylcarto

namespace zylcarto::cli {

// Converts a block of parsed pairs in place; Why[i] is null where pair i was
// converted, else the reason it was not (a static text).
using TBlockConvert = std::function<void(std::span<double> A, std::span<double> B, std::vector<const char*>& Why)>;

// Reads lines "U V" (blank lines and lines starting with # are skipped), converts
// them a block at a time and writes "R1 R2" with Decimals decimals per line, or
// "error: line N: ..." for a line that is no pair or cannot be converted. Returns
// 0, or 1 when some line failed or the output could not be written; raises
// EUsageError when the input cannot be read. Inputs names the pair in messages.
// With Angles the pair is a latitude and a longitude, also in degrees, minutes and seconds.
int RunBatch(std::FILE* In, const char* Inputs, int Decimals, bool Angles, const TBlockConvert& Convert);

// Pixels to latitude and longitude, or grid northing and easting when Grid (cmUTM,
// cmProjected); cmProjected converts a block in one call into PROJ.
TBlockConvert PositionConverter(const TMapCalibration& Cal, bool Grid);
// Pixels to northing and easting in the grid of Out (after the position).
TBlockConvert PositionInCRSConverter(const TMapCalibration& Cal, const TCRSConverter& Out);
// Latitude and longitude (or grid northing and easting) to pixels.
TBlockConvert PixelConverter(const TMapCalibration& Cal, bool Grid);

// zylcarto map to-position | to-pixel FILE.xml [DATAID], lines from standard input.
int RunMapToPosition(const TArgs& a);
int RunMapToPixel(const TArgs& a);
extern const char* const kMapConvertUsage;

}  // namespace zylcarto::cli
