#pragma once

// Files a test makes up for a program to open by name: each name's reads
// scripted as a ScriptedChannel's, or an error to fail its opening with, or
// a mark that it is the program's own output.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/scripted_channel.h"
#include "textio/platform/byte_channel.h"

namespace fieldsift::testing {

struct ScriptedFile {
  std::vector<ReadStep> reads;
  int open_error = 0;      // nonzero: opening fails with it
  bool is_output = false;  // the program's standard output
  StreamKind kind = StreamKind::DiskFile;
  std::vector<std::size_t> cuts{};  // as ScriptedChannel::cut_reads, if any
};

class ScriptedFiles final : public NamedInput {
 public:
  // Every name not added fails to open with ENOENT.
  void add(const std::string& name, ScriptedFile file) { files_[name] = std::move(file); }

  int open(const char* name) override {
    close();
    const auto found = files_.find(name);
    if (found == files_.end()) return kNoSuchFile;
    if (found->second.open_error != 0) return found->second.open_error;
    current_ = &found->second;
    channel_ = std::make_unique<ScriptedChannel>(current_->kind);
    channel_->script(current_->reads);
    if (!current_->cuts.empty()) channel_->cut_reads(current_->cuts);
    return 0;
  }
  void close() override {
    channel_.reset();
    current_ = nullptr;
  }
  bool is_output() override { return current_ != nullptr && current_->is_output; }

  StreamKind kind() const override { return channel_ ? channel_->kind() : StreamKind::Device; }
  IoResult read(std::span<unsigned char> into) override {
    return channel_ ? channel_->read(into) : IoResult{0, kBadDescriptor};
  }
  bool ready() override { return !channel_ || channel_->ready(); }
  IoResult write(std::span<const unsigned char>) override { return {0, kBadDescriptor}; }
  bool step_back() override { return channel_ && channel_->step_back(); }

  // Whether a file is still open: the program closes each it has read.
  [[nodiscard]] bool holds_one_open() const { return channel_ != nullptr; }

  static constexpr int kNoSuchFile = 2;  // ENOENT on every system the program runs on

 private:
  std::map<std::string, ScriptedFile> files_;
  ScriptedFile* current_ = nullptr;
  std::unique_ptr<ScriptedChannel> channel_;
};

// An -o FILE that opens, in tests that need no more of it: the output
// stays the scripted standard output.
class ScriptedOutputFile final : public NamedOutput {
 public:
  int open(const char* /*name*/) override { return 0; }
  bool input_is_output() override { return false; }
};

}  // namespace fieldsift::testing
