#include "batch_convert.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::cli {
namespace {

// Lines converted per call of the converter: large enough for PROJ's batch call
// to pay, small enough to keep the output flowing.
constexpr std::size_t BlockLines = 1 << 14;

// The lines of one block in input order: a pair to convert or an error already.
struct TBlock {
    std::vector<long long> Line;
    std::vector<std::string> Error;  // empty: Pair holds the numbers
    std::vector<double> A, B;        // the pairs of the lines without an error, in order
    void Clear() {
        Line.clear();
        Error.clear();
        A.clear();
        B.clear();
    }
};

// Converts each pair in place by Convert (inputs, then outputs; false when it
// cannot), noting Failure for the pairs it cannot convert.
template <typename Convert>
void ConvertEach(std::span<double> A, std::span<double> B, std::vector<const char*>& why, const char* failure,
                 Convert&& convert) {
    for (std::size_t i = 0; i < A.size(); ++i) {
        double a = 0, b = 0;
        if (!convert(A[i], B[i], a, b)) {
            why[i] = failure;
            continue;
        }
        A[i] = a;
        B[i] = b;
    }
}

}  // namespace

int RunBatch(std::FILE* in, const char* inputs, int decimals, bool angles, const TBlockConvert& convert) {
    constexpr std::size_t OutputChunk = 1 << 20;
    std::string out;
    out.reserve(OutputChunk + 4096);
    bool anyFailed = false;
    bool writeFailed = false;
    TBlock block;
    std::vector<const char*> why;

    const auto flush = [&] {
        if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) writeFailed = true;
        out.clear();
    };
    const auto writeError = [&](long long line, const std::string& text) {
        anyFailed = true;
        out += "error: line " + std::to_string(line) + ": " + text + "\n";
    };
    const auto convertBlock = [&] {
        why.assign(block.A.size(), nullptr);
        if (!block.A.empty()) convert(block.A, block.B, why);
        std::size_t k = 0;
        for (std::size_t i = 0; i < block.Line.size(); ++i) {
            if (!block.Error[i].empty()) {
                writeError(block.Line[i], block.Error[i]);
            } else if (const char* w = why[k]; w) {
                writeError(block.Line[i], w);
            } else {
                const std::size_t mark = out.size();
                try {
                    AppendFixed(out, block.A[k], decimals);
                    out += ' ';
                    AppendFixed(out, block.B[k], decimals);
                    out += '\n';
                } catch (const EOperationFailed& e) {
                    out.resize(mark);
                    writeError(block.Line[i], e.what());
                }
            }
            if (block.Error[i].empty()) ++k;
            if (out.size() >= OutputChunk) flush();
        }
        block.Clear();
    };
    TLineReader lines(in);
    const auto fail = [&](const std::string& text) {
        block.Line.push_back(lines.LineNumber());
        block.Error.push_back(text);
    };
    const auto read = [angles](std::string_view text, TDMSAxis axis, double& value) -> std::string {
        if (ReadNumber(text, value)) return {};
        if (!angles) return "not a number: " + Quoted(text);
        try {
            value = ParseDegrees(text, axis == dmsLatitude ? "latitude" : "longitude", axis);
            return {};
        } catch (const EUsageError& e) {
            return e.what();
        }
    };
    std::string_view line, f[2];
    while (lines.Next(line)) {
        if (lines.TooLong()) {
            fail("line longer than 1 MB");
            continue;
        }
        // Two numbers per line; blank lines and lines starting with # are skipped.
        const std::size_t n = SplitFields(line, f);
        if (n == 0 || f[0][0] == '#') continue;
        if (n != 2) {
            fail(std::string("expected ") + inputs + ", got " + Quoted(line));
            continue;
        }
        double u = 0, v = 0;
        if (std::string why = read(f[0], dmsLatitude, u); !why.empty()) {
            fail(why);
        } else if (why = read(f[1], dmsLongitude, v); !why.empty()) {
            fail(why);
        } else {
            block.Line.push_back(lines.LineNumber());
            block.Error.emplace_back();
            block.A.push_back(u);
            block.B.push_back(v);
        }
        if (block.Line.size() >= BlockLines) convertBlock();
    }
    convertBlock();
    flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) writeFailed = true;
    if (writeFailed) {
        std::fprintf(stderr, "zylcarto: cannot write the results\n");
        return 1;
    }
    if (lines.ReadFailed()) throw EUsageError(std::string("cannot read the ") + inputs + " input");
    return anyFailed ? 1 : 0;
}

TBlockConvert PositionConverter(const TMapCalibration& cal, bool grid) {
    return [&cal, grid](std::span<double> A, std::span<double> B, std::vector<const char*>& why) {
        if (grid)
            return ConvertEach(A, B, why, "no grid position for this pixel",
                               [&cal](double x, double y, double& n, double& e) { return cal.CalcGridFrac(x, y, n, e); });
        const std::vector<double> xs(A.begin(), A.end()), ys(B.begin(), B.end());
        std::vector<std::uint8_t> valid(A.size());
        cal.CalcPositionsFrac(A, B, valid);
        for (std::size_t i = 0; i < A.size(); ++i) {
            if (valid[i]) {
                if (std::fabs(A[i]) > 90) why[i] = "the pixel lies beyond the poles of the fit";
                continue;
            }
            // The fit extrapolated past a pole, or more than a whole turn round the globe.
            bool latValid = false;
            cal.CalcLatitude(RoundToInt(xs[i]), RoundToInt(ys[i]), latValid);
            why[i] = latValid ? "the pixel lies more than a whole turn of longitude from the map"
                              : "the pixel lies beyond the poles of the fit";
        }
    };
}

TBlockConvert PositionInCRSConverter(const TMapCalibration& cal, const TCRSConverter& out) {
    return [&cal, &out, toPosition = PositionConverter(cal, false)](std::span<double> A, std::span<double> B,
                                                                    std::vector<const char*>& why) {
        toPosition(A, B, why);
        std::vector<std::uint8_t> valid(A.size());
        for (std::size_t i = 0; i < A.size(); ++i)
            if (why[i]) A[i] = B[i] = 1000;  // a position the converter refuses, kept failed below
        out.FromWGS84(A, B, valid);
        for (std::size_t i = 0; i < A.size(); ++i)
            if (!why[i] && !valid[i]) why[i] = "no grid position in the output CRS";
    };
}

TBlockConvert PixelConverter(const TMapCalibration& cal, bool grid) {
    return [&cal, grid](std::span<double> A, std::span<double> B, std::vector<const char*>& why) {
        if (grid)
            return ConvertEach(A, B, why, "no pixel for this grid position",
                               [&cal](double n, double e, double& x, double& y) {
                                   return cal.CalcPixelCoordsGridFrac(n, e, x, y);
                               });
        std::vector<std::uint8_t> valid(A.size());
        for (std::size_t i = 0; i < A.size(); ++i)
            if (std::fabs(A[i]) > 90) why[i] = "latitude beyond the poles";
        cal.CalcPixelCoordsFrac(A, B, valid);
        for (std::size_t i = 0; i < A.size(); ++i)
            if (!valid[i] && !why[i]) why[i] = "no pixel for this position";
    };
}

}  // namespace zylcarto::cli
