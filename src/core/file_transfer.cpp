// The parts of the file-system steps that every platform shares.
#include "core/file_transfer.h"

namespace pelloquin::files {

namespace {

// Moves past the digits at the start of `text`; false when there are none.
bool SkipNumber(std::string_view& text) {
  const std::size_t digits = text.find_first_not_of("0123456789");
  if (digits == 0 || digits == std::string_view::npos) return false;
  text.remove_prefix(digits);
  return true;
}

class OutcomeCategoryImpl final : public std::error_category {
 public:
  const char* name() const noexcept override { return "pelloquin.files"; }
  std::string message(int value) const override {
    switch (static_cast<Outcome>(value)) {
      case Outcome::kChanged:
        return "the file changed while it was being handled; it was left as it was";
      case Outcome::kTargetChanged:
        return "the target was written since it was listed; it was left as it was";
      case Outcome::kTargetExists:
        return "a file of that name is there already";
      case Outcome::kCancelled:
        return "not copied: the copy it waited for failed";
    }
    return "unknown outcome";
  }
};

}  // namespace

const std::error_category& OutcomeCategory() {
  static const OutcomeCategoryImpl category;
  return category;
}

std::error_code make_error_code(Outcome outcome) {
  return {static_cast<int>(outcome), OutcomeCategory()};
}

bool IsTemporaryName(std::string_view name) {
  constexpr std::string_view kPrefix = "pelloquin-";
  if (name.empty() || (name[0] != '.' && name[0] != '~')) return false;
  name.remove_prefix(1);
  if (!name.starts_with(kPrefix)) return false;
  name.remove_prefix(kPrefix.size());
  if (!SkipNumber(name) || !name.starts_with('-')) return false;
  name.remove_prefix(1);
  return SkipNumber(name) && name == ".tmp";
}

std::error_code CopyFileSafely(const fs::path& source, const fs::path& target, FileInfo* written) {
  std::vector<CopyRequest> requests(1);
  requests[0].source = source;
  requests[0].target = target;
  CopyFilesSafely(requests);
  if (written != nullptr) *written = requests[0].written;
  return requests[0].error;
}

void CopyFilesSafely(std::vector<CopyRequest>& requests) {
  requests = FinishCopies(StartCopies(std::move(requests)));
}

std::error_code CheckTarget(const CopyRequest& request, const std::optional<FileInfo>& found) {
  if (!request.check_target || !found) return {};
  const std::optional<FileInfo>& listed = request.listed_target;
  if (!listed || !StillListed(*found, *listed)) return Outcome::kTargetChanged;
  return {};
}

}  // namespace pelloquin::files
