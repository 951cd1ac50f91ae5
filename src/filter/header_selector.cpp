#include "filter/header_selector.h"

namespace fieldsift {

HeaderSelector::HeaderSelector(std::string_view name) : folded_name_(name) {
  for (char& c : folded_name_) c = static_cast<char>(fold_case(static_cast<unsigned char>(c)));
}

// A line shorter than the name cannot match: its end meets a byte of the
// name. A NUL inside the line never matches either, as no name holds one.
bool HeaderSelector::starts_with_name(std::span<const unsigned char> line) const {
  if (line.size() < folded_name_.size()) return false;
  for (std::size_t i = 0; i < folded_name_.size(); ++i) {
    if (fold_case(line[i]) != static_cast<unsigned char>(folded_name_[i])) return false;
  }
  return true;
}

std::optional<unsigned char> HeaderSelector::awaited_first_byte() const {
  if (state_ == State::Printing || folded_name_.empty()) return std::nullopt;
  return static_cast<unsigned char>(folded_name_[0]);
}

bool HeaderSelector::feed(std::span<const unsigned char> line) {
  switch (classify(line)) {
    case LineKind::Blank:
      state_ = State::Skipping;
      return false;
    case LineKind::Dot:
    case LineKind::Continuation:
      return state_ == State::Printing;
    case LineKind::FieldStart:
      state_ = starts_with_name(line) ? State::Printing : State::Skipping;
      return state_ == State::Printing;
  }
  return false;
}

}  // namespace fieldsift
