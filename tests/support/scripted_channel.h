#pragma once

// A byte channel whose reads and writes a test scripts: each read answers the
// next scripted step, and every write is recorded piece by piece.

#include <algorithm>
#include <cstddef>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bytes/bytes_of.h"
#include "textio/platform/byte_channel.h"

namespace fieldsift::testing {

struct ReadStep {
  std::string bytes;  // delivered by this read (at most the size asked for; the rest waits)
  int error = 0;      // nonzero: this read fails with it
  // Nothing of it is ready until a read asks: its writer, or the one who
  // types it, is slow. The rest of a step part read is always ready.
  bool waits = false;
};

class ScriptedChannel final : public ByteChannel {
 public:
  explicit ScriptedChannel(StreamKind kind = StreamKind::Pipe) : kind_(kind) {}

  // Scripts the reads; once the script runs out, every read is end of input.
  void script(std::vector<ReadStep> steps) {
    steps_.assign(steps.begin(), steps.end());
    taken_ = 0;
  }

  // Scripts input cut into reads of at most `chunk` bytes.
  void script_chunks(std::string_view input, std::size_t chunk) {
    for (std::size_t i = 0; i < input.size(); i += chunk)
      steps_.push_back({std::string(input.substr(i, chunk))});
  }

  // Every read hands out at most the next of these sizes (each at least 1),
  // in turn: the system cutting its reads wherever it likes.
  void cut_reads(std::vector<std::size_t> sizes) {
    cuts_ = std::move(sizes);
    next_cut_ = 0;
  }

  // Writes fail with `error` once `accept` more bytes have been taken.
  void fail_writes_after(std::size_t accept, int error) {
    write_budget_ = accept;
    write_error_ = error;
  }

  StreamKind kind() const override { return kind_; }

  bool ready() override {
    return kind_ == StreamKind::DiskFile || steps_.empty() || taken_ > 0 || !steps_.front().waits;
  }

  // Records, at each read, how many bytes this other channel has been written:
  // what a program handed over before it read.
  void watch(const ScriptedChannel& output) { watched_ = &output; }
  const std::vector<std::size_t>& written_at_reads() const { return written_at_reads_; }

  IoResult read(std::span<unsigned char> into) override {
    ++reads_;
    requests_.push_back(into.size());
    if (watched_ != nullptr) written_at_reads_.push_back(watched_->written().size());
    if (steps_.empty()) return {};
    ReadStep& step = steps_.front();
    if (step.error != 0) {
      const int error = step.error;
      steps_.pop_front();
      return {0, error};
    }
    std::size_t n = std::min(into.size(), step.bytes.size() - taken_);
    if (!cuts_.empty()) {
      n = std::min(n, cuts_[next_cut_]);
      next_cut_ = (next_cut_ + 1) % cuts_.size();
    }
    std::copy_n(step.bytes.begin() + static_cast<std::ptrdiff_t>(taken_), n, into.begin());
    if (n > 0) last_ = into[n - 1];
    taken_ += n;
    if (taken_ == step.bytes.size()) {
      steps_.pop_front();
      taken_ = 0;
    }
    return {n, 0};
  }

  IoResult write(std::span<const unsigned char> bytes) override {
    const std::size_t n = std::min(bytes.size(), write_budget_);
    write_budget_ -= n;
    if (n > 0) pieces_.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    written_.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    return {n, n < bytes.size() ? write_error_ : 0};
  }

  // Like a file: the byte read last is read again next. Other kinds cannot.
  bool step_back() override {
    if (kind_ != StreamKind::DiskFile) return false;
    ++step_backs_;
    const char byte = static_cast<char>(last_);
    // The front step is part read: the byte is in it, or it is cut to what is left.
    if (taken_ > 0) {
      std::string& front = steps_.front().bytes;
      if (front[taken_ - 1] == byte) {
        --taken_;
        return true;
      }
      front.erase(0, std::exchange(taken_, 0));
    }
    if (!steps_.empty() && steps_.front().error == 0 && !steps_.front().bytes.empty()) {
      steps_.front().bytes.insert(steps_.front().bytes.begin(), byte);
    } else {
      steps_.push_front({std::string(1, byte)});
    }
    return true;
  }

  const std::string& written() const { return written_; }
  const std::vector<std::string>& pieces() const { return pieces_; }
  std::size_t reads() const { return reads_; }
  // The bytes asked for, read by read.
  const std::vector<std::size_t>& read_requests() const { return requests_; }
  std::size_t step_backs() const { return step_backs_; }

 private:
  StreamKind kind_;
  std::deque<ReadStep> steps_;
  std::size_t taken_ = 0;  // bytes of the front step already read: no copying per read
  std::vector<std::size_t> cuts_;
  std::size_t next_cut_ = 0;
  std::string written_;
  std::vector<std::string> pieces_;
  std::size_t write_budget_ = static_cast<std::size_t>(-1);
  int write_error_ = 0;
  std::size_t reads_ = 0;
  std::vector<std::size_t> requests_;
  std::size_t step_backs_ = 0;
  const ScriptedChannel* watched_ = nullptr;
  std::vector<std::size_t> written_at_reads_;
  unsigned char last_ = 0;
};

inline std::span<const unsigned char> bytes_of(std::string_view s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

inline std::string string_of(std::span<const unsigned char> s) {
  return {reinterpret_cast<const char*>(s.data()), s.size()};
}

}  // namespace fieldsift::testing
