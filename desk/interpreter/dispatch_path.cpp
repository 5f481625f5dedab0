// Path statements: ExePath, FileContour, GetMCData and the path FIFO data records.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "card/registers.h"
#include "card/wire.h"
#include "core/contour_path.h"
#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {
namespace {

constexpr int kMaxContourAxes = 16;
constexpr int kMaxContourWords = 32767;
constexpr double kMinContourWord = -32768.0;  // a contour coordinate is one signed 16-bit word
constexpr double kMaxContourWord = 32767.0;
constexpr int kMaxBlockWords = card::wire::kMaxContourWords;  // the largest contour block
constexpr long kMaxContourFileBytes = 16L * 1024 * 1024;
constexpr int kFirstGroupParam = card::reg::group_x;  // group_y, group_z ... follow

bool parseNumber(const std::string& field, double& out) {
    std::size_t b = 0, e = field.size();
    while (b < e && (field[b] == ' ' || field[b] == '\t' || field[b] == '\r')) ++b;
    while (e > b && (field[e - 1] == ' ' || field[e - 1] == '\t' || field[e - 1] == '\r')) --e;
    if (b == e) return false;
    std::string s = field.substr(b, e - b);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

// The whole file, at most kMaxContourFileBytes; false when it cannot be read.
bool readContourFile(const std::string& path, std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = true;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.append(buf, n);
        if (static_cast<long>(bytes.size()) > kMaxContourFileBytes) {
            ok = false;
            break;
        }
    }
    ok = ok && !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Fields are separated by "," or line feeds; an empty field makes the file invalid. One final
// line end (LF or CRLF), as every editor writes it, is not a field separator. False for an
// invalid field; at least one field otherwise.
bool splitContourFields(std::string bytes, std::vector<double>& fields) {
    if (!bytes.empty() && bytes.back() == '\n') {
        bytes.pop_back();
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    }
    std::string field;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == ',' || bytes[i] == '\n') {
            double v = 0.0;
            if (!parseNumber(field, v)) return false;
            fields.push_back(v);
            field.clear();
        } else {
            field += bytes[i];
        }
    }
    return true;
}

// A contour file after its checks: the card axes of its columns and the scaled points, axis by
// axis within each point.
struct ContourData {
    int axes = 0;
    int axisNumbers[kMaxContourAxes] = {};
    std::vector<std::int16_t> words;
};

// What is wrong with a contour file. Every problem but ValueRange also makes the file invalid.
enum class ContourProblem { None, Format, TooManyValues, AxisRange, ValueRange };

// Checks the fields (axis count, axis numbers below the board's axis count, scales, point count,
// points) and scales the points. `boardAxes()` gives the board's axis count; it is asked once the
// axis count has passed. For ValueRange, *badPoint (1-based) and *badAxis name the coordinate.
template <class AxisCount>
ContourProblem checkContour(const std::vector<double>& fields, AxisCount boardAxes,
                            ContourData& out, int* badPoint, int* badAxis) {
    std::size_t at = 0;
    const double axesValue = fields[at++];
    if (axesValue < 1 || axesValue > kMaxContourAxes || axesValue != std::trunc(axesValue) ||
        fields.size() < 2 + 2 * static_cast<std::size_t>(axesValue))
        return axesValue > kMaxContourAxes ? ContourProblem::TooManyValues : ContourProblem::Format;
    const int axes = static_cast<int>(axesValue);
    out.axes = axes;
    double scales[kMaxContourAxes];
    const int axisCount = boardAxes();
    for (int i = 0; i < axes; ++i) {
        double v = fields[at++];
        if (v < 0 || v != std::trunc(v) || v >= axisCount) return ContourProblem::AxisRange;
        out.axisNumbers[i] = static_cast<int>(v);
    }
    for (int i = 0; i < axes; ++i) scales[i] = fields[at++];
    const double pointsValue = fields[at++];
    if (pointsValue < 0 || pointsValue != std::trunc(pointsValue) ||
        pointsValue * axes > kMaxContourWords)
        return pointsValue * axes > kMaxContourWords ? ContourProblem::TooManyValues
                                                     : ContourProblem::Format;
    const std::size_t words =
        static_cast<std::size_t>(pointsValue) * static_cast<std::size_t>(axes);
    if (fields.size() - at != words) return ContourProblem::Format;
    // Each scaled coordinate travels as one signed 16-bit word; a value that does not fit
    // would wrap into a move the other way, so the whole file is refused before anything is
    // sent.
    out.words.resize(words);
    for (std::size_t w = 0; w < words; ++w) {
        const std::size_t axis = w % static_cast<std::size_t>(axes);
        const double scaled = std::trunc(fields[at + w] * scales[axis]);
        if (!(scaled >= kMinContourWord && scaled <= kMaxContourWord)) {
            *badPoint = static_cast<int>(w / static_cast<std::size_t>(axes)) + 1;
            *badAxis = out.axisNumbers[axis];
            return ContourProblem::ValueRange;
        }
        out.words[w] = static_cast<std::int16_t>(scaled);
    }
    return ContourProblem::None;
}

}  // namespace

// FileContour NAME: axis count, axis numbers, scales, point count, then the points.
void ScriptInterpreter::fileContour() {
    // The name is the raw rest of the line.
    std::uint32_t pos = readPos;
    while (pos < textLength && (programText[pos] == ' ' || programText[pos] == '\t')) ++pos;
    std::uint32_t start = pos;
    while (pos < textLength && programText[pos] != '\n') ++pos;
    std::uint32_t stop = pos;
    while (stop > start && (programText[stop - 1] == '\r' || programText[stop - 1] == ' ' ||
                            programText[stop - 1] == '\t'))
        --stop;
    std::string name(programText + start, stop - start);
    readPos = pos;
    advance();  // the line end

    // File names on this system are UTF-8; a GBK script's name is converted first.
    const std::string path = resolveContourPath(m_programDir, scriptTextToUtf8(name, m_encoding));
    std::string bytes;
    if (!readContourFile(path, bytes)) {
        reportError(msg::kFileOpenFailed);
        finished = true;
        return;
    }
    std::vector<double> fields;
    ContourData contour;
    int badPoint = 0, badAxis = 0;
    const auto boardAxes = [this] { return m_port.axisCount(boardNumber); };
    const ContourProblem problem =
        !splitContourFields(std::move(bytes), fields)
            ? ContourProblem::Format
            : checkContour(fields, boardAxes, contour, &badPoint, &badAxis);
    switch (problem) {
        case ContourProblem::None:
            sendContour(path, contour.axes, contour.axisNumbers, contour.words);
            return;
        case ContourProblem::ValueRange: {
            char buf[160];
            std::snprintf(buf, sizeof buf, msg::kContourValueRange, badPoint, badAxis);
            reportError(buf);
            finished = true;
            return;
        }
        case ContourProblem::TooManyValues:
            reportError(msg::kTooManyValues);
            break;
        case ContourProblem::AxisRange:
            reportError(msg::kAxisOutOfRange);
            finished = true;
            break;
        case ContourProblem::Format:
            break;
    }
    // The file is invalid.
    m_errorReported = true;
    write(msg::kFileFormat);
    finished = true;
}

// Maps the file's axes onto the group letters x, y, z, a ..., starts the group and sends the
// points in blocks of whole points; the group is left again when the run stops meanwhile.
void ScriptInterpreter::sendContour(const std::string& path, int axes, const int* axisNumbers,
                                    const std::vector<std::int16_t>& data) {
    const std::size_t words = data.size();
    ParamRow groupRow = ParamRow::make("group", "U16", 0, kKindUInt16, false, true);
    for (int i = 0; i < axes; ++i) {
        groupRow.address = static_cast<std::uint16_t>(kFirstGroupParam + i);
        paramRecord.row = groupRow;
        paramRecord.value = axisNumbers[i];
        int status = writeParam(0);
        if (status != ZEQ_OK) {
            reportStatus(status);
            return;
        }
        if (stopOrFinished()) break;
    }
    const int fifo = fifoSelector();
    int status = withRetry([&] {
        m_port.setGroupAxisNum(handle(), axes, fifo);
        return m_port.enableGroup(handle(), 1, fifo);
    });
    if (status != ZEQ_OK) {
        // The group did not start: nothing was sent.
        reportStatus(status);
        finished = true;
    } else if (!stopOrFinished()) {
        write(msg::kSendingFile1);
        write(path);
        write(msg::kSendingFile2);
        const std::size_t block = static_cast<std::size_t>((kMaxBlockWords / axes) * axes);
        for (std::size_t off = 0; off < words && !stopOrFinished(); off += block) {
            const int count = static_cast<int>(std::min(block, words - off));
            status = withRetry(
                [&] { return m_port.putContourData(handle(), data.data() + off, count); });
            if (status != ZEQ_OK) {
                finished = true;
                break;
            }
        }
        reportStatus(status);
    }
    if (!stopOrFinished()) {
        write(msg::kFileSent);
    } else {
        withRetry([&] { return m_port.exitGroup(handle(), fifo); });
    }
}

// ExePath: feed the planned path until it is finished; a pause halts the group meanwhile.
void ScriptInterpreter::exePath() {
    advance();
    const int fifo = fifoSelector();
    int status = ZEQ_OK;
    do {
        status = m_port.executePath(handle());
        if (pauseRequested) {
            // The group stops while the run waits; the wait itself is the pause check inside
            // the retry.
            int group = withRetry([&] { return m_port.enableGroup(handle(), 0, fifo); });
            if (group != 0) {
                status = group;
                break;
            }
            pauseCheck();
            if (!stopRequested) {
                group = withRetry([&] { return m_port.enableGroup(handle(), -1, fifo); });
                if (group != 0) {
                    status = group;
                    break;
                }
            }
        }
    } while (status == ZEQ_ERR_PATH_NOT_DONE && !stopOrFinished());
    const bool stopped = stopRequested;
    reportStatus(status);
    if (stopped) withRetry([&] { return m_port.exitGroup(handle(), fifo); });
}

// GetMCData: the card's machine data table and how long its reading took.
void ScriptInterpreter::getMachineData() {
    advance();
    AxisMachineData axes[4];
    auto t0 = m_clock->now();
    int status = m_port.getMachineData(handle(), axes);
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(m_clock->now() - t0).count();
    char buf[160];
    std::snprintf(buf, sizeof buf, msg::kElapsedUs, static_cast<int>(us));
    write(buf);
    if (status != ZEQ_OK) {
        reportStatus(status);
        return;
    }
    for (int a = 3; a >= 0; --a) {
        std::snprintf(buf, sizeof buf, msg::kMcDataLine, a, axes[a].encp,
                      static_cast<int>(axes[a].moving), static_cast<int>(axes[a].error),
                      static_cast<int>(axes[a].aio));
        write(buf);
    }
}

// PathWRData PARAM [,] N, N values, AXIS
void ScriptInterpreter::pathWriteData() {
    constexpr int kRoom = 512;
    advance();
    if (!readParamName()) return;
    const int address = paramRecord.row.address;
    if (token == ',') advance();
    const double countValue = evaluate();
    if (finished) return;
    if (countValue < 0 || countValue > kRoom) {
        reportError(msg::kTooManyValues);
        finished = true;
        return;
    }
    const int count = static_cast<int>(countValue);
    std::vector<std::int16_t> words(kRoom, 0);
    for (int i = 0; i < count; ++i) {
        expect(',');
        double v = evaluate();
        if (finished) return;
        words[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(static_cast<std::int64_t>(v));
    }
    expect(',');
    const double axisValue = evaluate();
    if (finished) return;
    std::vector<DeviceArg> args{
        DeviceArg::integer(address), DeviceArg::integer(count), DeviceArg::pointer(words.data()),
        DeviceArg::integer(static_cast<std::int32_t>(static_cast<std::int64_t>(axisValue)))};
    DeviceOut out;
    reportStatus(
        withRetry([&] { return m_port.builtin(rt::PathWRData, handle(), args, -1, out); }));
}

// PathAddLine N, values... / PathAddLineSegData I, I, N, values...: a 68-byte record of
// 32-bit integers, the rest 0.
void ScriptInterpreter::pathSegmentRecord(int code) {
    advance();
    std::int32_t record[17] = {};
    int head = (code == rt::PathAddLineSegData || code == rt::PathAddArcSegData) ? 3 : 1;
    for (int i = 0; i < head; ++i) {
        if (i > 0) expect(',');
        double v = evaluate();
        if (finished) return;
        record[i] = static_cast<std::int32_t>(static_cast<std::int64_t>(v));
    }
    const int count = record[head - 1];
    if (count < 0 || count > 17 - head) {
        reportError(msg::kTooManyValues);
        finished = true;
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (token == ',') advance();
        if (atEnd() || token == rt::EndOfSource) break;
        double v = evaluate();
        if (finished) return;
        record[head + i] = static_cast<std::int32_t>(static_cast<std::int64_t>(v));
    }
    std::vector<DeviceArg> args{DeviceArg::pointer(record)};
    DeviceOut out;
    const int fifo = fifoSelector();
    reportStatus(withRetry([&] { return m_port.builtin(code, handle(), args, fifo, out); }));
}

}  // namespace zeq::desk
