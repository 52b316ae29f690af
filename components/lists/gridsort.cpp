// Sorting grid rows by a column (see gridsort.h).
#include "components/lists/gridsort.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace tess {

std::vector<int32_t> StableSortIndexes(int32_t N,
                                       const std::function<int(int32_t, int32_t)>& Compare) {
  std::vector<int32_t> a(static_cast<size_t>(std::max(N, 0)));
  for (int32_t i = 0; i < N; ++i) a[static_cast<size_t>(i)] = i;
  if (N < 2) return a;
  // Short runs by insertion (each step moves one element), then bottom-up merges from
  // one buffer to the other: every output slot is filled by exactly one input element.
  constexpr int32_t kRun = 16;
  for (int32_t lo = 0; lo < N; lo += kRun) {
    int32_t hi = std::min(lo + kRun, N);
    for (int32_t i = lo + 1; i < hi; ++i) {
      int32_t v = a[static_cast<size_t>(i)];
      int32_t j = i;
      while (j > lo && Compare(v, a[static_cast<size_t>(j - 1)]) < 0) {
        a[static_cast<size_t>(j)] = a[static_cast<size_t>(j - 1)];
        --j;
      }
      a[static_cast<size_t>(j)] = v;
    }
  }
  std::vector<int32_t> b(a.size());
  std::vector<int32_t>* src = &a;
  std::vector<int32_t>* dst = &b;
  for (int32_t width = kRun; width < N; width *= 2) {
    for (int32_t lo = 0; lo < N; lo += 2 * width) {
      int32_t mid = std::min(lo + width, N);
      int32_t hi = std::min(lo + 2 * width, N);
      int32_t i = lo, j = mid, k = lo;
      const int32_t* s = src->data();
      int32_t* d = dst->data();
      // The right run's element goes first only when it is strictly smaller: stable.
      if (mid < hi && Compare(s[mid], s[mid - 1]) >= 0) {
        std::memcpy(d + lo, s + lo, static_cast<size_t>(hi - lo) * sizeof(int32_t));
        continue;
      }
      while (i < mid && j < hi) d[k++] = Compare(s[j], s[i]) < 0 ? s[j++] : s[i++];
      while (i < mid) d[k++] = s[i++];
      while (j < hi) d[k++] = s[j++];
    }
    std::swap(src, dst);
  }
  return std::move(*src);
}

namespace {

// ASCII letters only, as the comparison promises.
void UpperAscii(std::string& S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
}

int CompareBytes(const std::string& A, const std::string& B) {
  size_t n = std::min(A.size(), B.size());
  int r = n ? std::memcmp(A.data(), B.data(), n) : 0;
  if (r != 0) return r;
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

}  // namespace

void SortEntries(TSortedList& Entries, const TSortOptions& Options, const TFormatSettings& FS) {
  const int32_t n = static_cast<int32_t>(Entries.size());
  const bool descending = Options.SortDirection == sdDescending;
  std::vector<std::string> keys(Entries.size());
  for (size_t i = 0; i < Entries.size(); ++i) {
    keys[i] = Entries[i].Str;
    if (!Options.SortCaseSensitive) UpperAscii(keys[i]);
  }
  // Each key is converted once: a failed conversion makes every pair with it equal.
  std::vector<double> values;
  std::vector<uint8_t> valid;
  if (Options.SortStyle == ssNumeric || Options.SortStyle == ssDateTime) {
    values.resize(Entries.size());
    valid.resize(Entries.size());
    for (size_t i = 0; i < keys.size(); ++i) {
      valid[i] = Options.SortStyle == ssNumeric ? TryStrToFloat(keys[i], values[i], FS)
                                                : TryStrToDateTime(keys[i], values[i], FS);
    }
  }
  auto ordered = [&](int r) { return descending ? -r : r; };
  auto byRow = [&](int32_t a, int32_t b) {
    int32_t ra = Entries[static_cast<size_t>(a)].Row, rb = Entries[static_cast<size_t>(b)].Row;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
  };
  std::function<int(int32_t, int32_t)> compare;
  switch (Options.SortStyle) {
    case ssNumeric:
    case ssDateTime:
      compare = [&](int32_t a, int32_t b) {
        size_t i = static_cast<size_t>(a), j = static_cast<size_t>(b);
        int r = 0;
        if (valid[i] && valid[j]) r = values[i] < values[j] ? -1 : (values[j] < values[i] ? 1 : 0);
        return r ? ordered(r) : byRow(a, b);
      };
      break;
    case ssCustom:
      compare = [&](int32_t a, int32_t b) {
        int r = Options.SortCompare
                    ? Options.SortCompare(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)])
                    : 0;
        return r ? ordered(r < 0 ? -1 : 1) : byRow(a, b);
      };
      break;
    default:
      compare = [&](int32_t a, int32_t b) {
        int r = CompareBytes(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
        return r ? ordered(r < 0 ? -1 : 1) : byRow(a, b);
      };
      break;
  }
  std::vector<int32_t> order = StableSortIndexes(n, compare);
  TSortedList sorted;
  sorted.reserve(Entries.size());
  for (int32_t i : order) sorted.push_back(std::move(Entries[static_cast<size_t>(i)]));
  Entries = std::move(sorted);
}

TSortStyle DetectSortStyle(const TGridCells& Cells, int32_t Col, int32_t First, int32_t Last,
                           const TFormatSettings& FS) {
  bool numeric = true;
  bool date = true;
  for (int32_t r = First; r < Last && (numeric || date); ++r) {
    const std::string& s = Cells.Cell(Col, r);
    double v;
    if (numeric && !TryStrToFloat(s, v, FS)) numeric = false;
    if (date && !TryStrToDate(s, v, FS)) date = false;
  }
  if (numeric) return ssNumeric;
  if (date) return ssDateTime;
  return ssAlphabetic;
}

void SortRows(TGridCells& Cells, int32_t Col, int32_t First, const TSortOptions& Options,
              const TFormatSettings& FS, TSortedList& Record) {
  Record.clear();
  TSortedList entries;
  int32_t rows = Cells.RowCount();
  entries.reserve(static_cast<size_t>(std::max(rows - First, 0)));
  for (int32_t r = First; r < rows; ++r) entries.push_back({Cells.Cell(Col, r), r});
  SortEntries(entries, Options, FS);
  std::vector<int32_t> order;
  order.reserve(entries.size());
  for (const TSortedListEntry& e : entries) order.push_back(e.Row - First);
  Cells.PermuteRows(First, order);
  Record = std::move(entries);
}

bool UndoSortRows(TGridCells& Cells, int32_t First, const TSortedList& Record) {
  int32_t n = Cells.RowCount() - First;
  if (n < 0 || static_cast<size_t>(n) != Record.size()) return false;
  // Row at First + i goes back to Record[i].Row: the inverse permutation.
  std::vector<int32_t> order(Record.size(), -1);
  for (size_t i = 0; i < Record.size(); ++i) {
    int32_t back = Record[i].Row - First;
    if (back < 0 || back >= n || order[static_cast<size_t>(back)] != -1) return false;
    order[static_cast<size_t>(back)] = static_cast<int32_t>(i);
  }
  Cells.PermuteRows(First, order);
  return true;
}

}  // namespace tess
