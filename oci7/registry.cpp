// The handle registry.  A data area holds, from byte 16: a 4-byte kind tag, a 4-byte
// check word and an 8-byte id.  Ids are never reused, the check word ties the id to this
// process and to the area's address, and the registry remembers the address each handle
// was written to, so only the very area a handle was issued to finds the object.
#include <cassert>
#include <cstring>
#include <random>
#include <unordered_map>

#include "oci7/engine.h"

namespace tess::oci7 {
namespace {

constexpr char kLogonTag[4] = {'T', 'S', 'L', '7'};
constexpr char kCursorTag[4] = {'T', 'S', 'C', '7'};

struct Entry {
  const void* area;
  std::shared_ptr<Session> session;
  std::shared_ptr<Cursor> cursor;
};

struct Registry {
  std::mutex mutex;
  uint64_t nextId = 1;
  uint32_t key = 0;
  std::unordered_map<uint64_t, Entry> entries;
  Registry() {
    std::random_device rd;
    key = rd() | 1u;
  }
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // lives until the process ends
  return *registry;
}

uint32_t CheckWord(uint64_t id, const void* area, uint32_t key) {
  uint64_t a = reinterpret_cast<uintptr_t>(area);
  uint64_t x = id * 0x9E3779B97F4A7C15ull ^ a ^ (uint64_t(key) << 17);
  return static_cast<uint32_t>(x ^ (x >> 32));
}

void WriteHandle(void* area, const char* tag, uint64_t id, uint32_t key) {
  auto* bytes = static_cast<ub1*>(area) + offsetof(CdaDef, handle);
  uint32_t check = CheckWord(id, area, key);
  std::memcpy(bytes, tag, 4);
  std::memcpy(bytes + 4, &check, 4);
  std::memcpy(bytes + 8, &id, 8);
}

std::optional<uint64_t> ReadHandle(const void* area, const char* tag, uint32_t key) {
  if (!area) return std::nullopt;
  const auto* bytes = static_cast<const ub1*>(area) + offsetof(CdaDef, handle);
  if (std::memcmp(bytes, tag, 4) != 0) return std::nullopt;
  uint32_t check;
  uint64_t id;
  std::memcpy(&check, bytes + 4, 4);
  std::memcpy(&id, bytes + 8, 8);
  if (check != CheckWord(id, area, key)) return std::nullopt;
  return id;
}

}  // namespace

uint64_t RegisterSession(std::shared_ptr<Session> session, void* area) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  uint64_t id = r.nextId++;
  assert(!r.entries.count(id));  // ids are never reused
  r.entries[id] = Entry{area, std::move(session), nullptr};
  WriteHandle(area, kLogonTag, id, r.key);
  return id;
}

uint64_t RegisterCursor(std::shared_ptr<Cursor> cursor, void* area) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  uint64_t id = r.nextId++;
  cursor->id = id;
  cursor->area = area;
  r.entries[id] = Entry{area, nullptr, std::move(cursor)};
  WriteHandle(area, kCursorTag, id, r.key);
  return id;
}

std::shared_ptr<Session> FindSession(const void* area) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto id = ReadHandle(area, kLogonTag, r.key);
  if (!id) return nullptr;
  auto it = r.entries.find(*id);
  if (it == r.entries.end() || it->second.area != area) return nullptr;
  return it->second.session;
}

std::shared_ptr<Cursor> FindCursor(const void* area) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto id = ReadHandle(area, kCursorTag, r.key);
  if (!id) return nullptr;
  auto it = r.entries.find(*id);
  if (it == r.entries.end() || it->second.area != area) return nullptr;
  return it->second.cursor;
}

std::shared_ptr<Cursor> FindCursorById(uint64_t id) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.entries.find(id);
  return it == r.entries.end() ? nullptr : it->second.cursor;
}

void UnregisterSession(const void* area) {
  Registry& r = TheRegistry();
  std::shared_ptr<Session> keep;  // destroyed outside the lock
  {
    std::lock_guard lock(r.mutex);
    auto id = ReadHandle(area, kLogonTag, r.key);
    if (!id) return;
    auto it = r.entries.find(*id);
    if (it == r.entries.end() || it->second.area != area) return;
    keep = std::move(it->second.session);
    r.entries.erase(it);
  }
}

void UnregisterCursor(uint64_t id) {
  Registry& r = TheRegistry();
  std::shared_ptr<Cursor> keep;
  {
    std::lock_guard lock(r.mutex);
    auto it = r.entries.find(id);
    if (it == r.entries.end()) return;
    keep = std::move(it->second.cursor);
    r.entries.erase(it);
  }
}

void ClearHandle(void* area) {
  if (area) std::memset(static_cast<ub1*>(area) + offsetof(CdaDef, handle), 0, 16);
}

}  // namespace tess::oci7
