#include "transport/trace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace zeq::link {

namespace {

class TraceFile {
  public:
    explicit TraceFile(std::string path) : path_(std::move(path)) {}

    void line(char kind, const void* bytes, uint32_t n) {
        static const char hex[] = "0123456789ABCDEF";
        std::lock_guard<std::mutex> guard(mutex_);
        if (!file_) file_ = std::fopen(path_.c_str(), "a");
        if (!file_) return;
        buffer_.clear();
        buffer_ += kind;
        const auto* p = static_cast<const uint8_t*>(bytes);
        for (uint32_t i = 0; i < n; ++i) {
            buffer_ += ' ';
            buffer_ += hex[p[i] >> 4];
            buffer_ += hex[p[i] & 15];
        }
        buffer_ += '\n';
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        std::fflush(file_);
    }

    ~TraceFile() {
        if (file_) std::fclose(file_);
    }

  private:
    std::string path_;
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::string buffer_;
};

class TracingPort final : public bridge::Port {
  public:
    TracingPort(std::unique_ptr<bridge::Port> inner, std::shared_ptr<TraceFile> file)
        : inner_(std::move(inner)), file_(std::move(file)) {}

    bridge::Status read(void* buffer, uint32_t count, uint32_t* got) override {
        uint32_t n = 0;
        bridge::Status st = inner_->read(buffer, count, &n);
        if (got) *got = n;
        file_->line('R', buffer, st == ZEQ_FT_OK ? n : 0);
        return st;
    }
    bridge::Status write(const void* buffer, uint32_t count, uint32_t* written) override {
        file_->line('W', buffer, count);
        return inner_->write(buffer, count, written);
    }
    bridge::Status purge(uint32_t mask) override { return inner_->purge(mask); }
    bridge::Status setTimeouts(uint32_t r, uint32_t w) override {
        return inner_->setTimeouts(r, w);
    }
    bridge::Status resetDevice() override { return inner_->resetDevice(); }
    bridge::Status eeRead(ZEQ_EEPROM_DATA* data) override { return inner_->eeRead(data); }
    bridge::Status eeProgram(const ZEQ_EEPROM_DATA* data) override {
        return inner_->eeProgram(data);
    }
    bridge::Status close() override { return inner_->close(); }
    void opened() override { inner_->opened(); }

  private:
    std::unique_ptr<bridge::Port> inner_;
    std::shared_ptr<TraceFile> file_;
};

std::shared_ptr<TraceFile> trace_file_for(const std::string& path) {
    // One writer per path, shared by every device traced into it.
    static std::mutex mutex;
    static std::string currentPath;
    static std::shared_ptr<TraceFile> current;
    std::lock_guard<std::mutex> guard(mutex);
    if (!current || currentPath != path) {
        current = std::make_shared<TraceFile>(path);
        currentPath = path;
    }
    return current;
}

}  // namespace

std::unique_ptr<bridge::Port> traced_port(std::unique_ptr<bridge::Port> port) {
    const char* path = std::getenv("ZEQLINK_TRACE");
    if (!port || !path || !*path) return port;
    return std::make_unique<TracingPort>(std::move(port), trace_file_for(path));
}

}  // namespace zeq::link
