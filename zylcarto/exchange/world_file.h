#pragma once
/// @file
/// World files (.jgw, .jpgw, .bpw, .tfw, .pgw, .wld ...): six lines A D B E C F of the
/// affine rule from pixel (column, row) to map coordinates, referring to pixel
/// centres: X = A*column + B*row + C, Y = D*column + E*row + F. Our pixel
/// positions count pixel edges (the top-left corner of the image is 0, 0), so the
/// centre of the first pixel is our 0.5, 0.5. X and Y are longitude and latitude
/// in degrees, or easting and northing in UTM metres or in the grid of another
/// coordinate reference system. Pure functions, safe from any thread.
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/exchange/calib_import.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The six coefficients, in the order of the file's lines.
struct TWorldFile {
    /// @{
    /// X per column, Y per column, X per row, Y per row, X and Y of the first pixel's
    /// centre.
    double A = 0, D = 0, B = 0, E = 0, C = 0, F = 0;
    /// @}
};

/// Six numbers, one a line (blank lines around them are allowed; a decimal comma
/// is read as a point); anything else
/// raises EZYLGeoMapError "line N: ...", and so does a zero pixel area
/// (A*E - B*D = 0).
ZYLCARTO_EXPORT TWorldFile ParseWorldFile(std::string_view Text);
/// The six lines, CR LF ended, each number written so that it reads back as the
/// same double.
ZYLCARTO_EXPORT std::string FormatWorldFile(const TWorldFile& W);

/// The world file names looked for beside an image, in order: the extension's
/// first and last letter + "w" (.jgw, .bpw, .tfw, .pgw), the extension + "w"
/// (.jpgw, .bmpw, .tifw), then .wld; each followed by its upper-case form.
ZYLCARTO_EXPORT std::vector<std::string> WorldFileNames(const std::string& ImageName);

/// True, with the UTM zone and hemisphere that a .prj text names, when it is a WGS 84
/// UTM system ("... UTM ... Zone 33N"); false, outputs unchanged, otherwise.
ZYLCARTO_EXPORT bool PrjNamesWGS84UTM(std::string_view Prj, int& Zone, bool& South);
/// True when the .prj text is WGS 84 geographic (degrees).
ZYLCARTO_EXPORT bool PrjNamesWGS84Geographic(std::string_view Prj);

/// Imports the world file beside ImageName: UTM when UTMZone is 1..60 (or, with
/// UTMZone 0, a .prj beside the image names a WGS 84 UTM zone); cmProjected in
/// CRS (any definition PROJ takes) or, without one, in the system of any other
/// .prj (ESRI or OGC WKT); equirect when the values are degrees (a global file
/// whose outer pixel edges lie up to half a pixel beyond +-180 and +-90 included,
/// its corners then held on the globe); otherwise, for any other UTMZone, a zone
/// with a CRS or a CRS PROJ refuses, EZYLGeoMapError naming the world file. The
/// image's size is read from its header. A missing world file (the message lists
/// the names looked for) or an unreadable image raises EInOutError naming the image.
ZYLCARTO_EXPORT TImportedCalibration ImportWorldFile(const std::string& ImageName, int UTMZone, bool South,
                                                     const std::string& CRS = "");

/// A world file made from a calibration.
struct TWorldExport {
    /// The coefficients.
    TWorldFile World;
    /// True for equirect, UTM and first-order projected maps, whose rule is affine;
    /// other models are fitted (second-order projected maps in their grid).
    bool Exact = false;
    /// Largest distance in metres between the model and the fitted affine rule over an
    /// 11 by 11 grid of the image; 0 when exact.
    double MaxResidualM = 0;
    /// The world file is in UTM metres, else degrees.
    bool UTM = false;
};

/// The world file of a fitted calibration for an image of Width x Height pixels.
/// EZYLGeoMapError when the model cannot convert a grid pixel or gives no rule
/// that ParseWorldFile would read back (a zero pixel size, as from too few points).
ZYLCARTO_EXPORT TWorldExport WorldFileOf(const TCalibData& Data, TCalibModel Model, int Width, int Height);
/// The ESRI-style .prj text that goes with it: the CRS of Data when it has one
/// (as PROJ writes it, ESRI's WKT where it can), else WGS 84 degrees, or with UTM
/// the zone and hemisphere of Data; EZYLGeoMapError for a UTM zone outside 1..60
/// or a CRS PROJ refuses.
ZYLCARTO_EXPORT std::string PrjText(const TCalibData& Data, bool UTM);

}  // namespace zylcarto
