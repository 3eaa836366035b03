#include "object_ledger.h"

#include <map>
#include <mutex>
#include <set>

#include "event_record.h"

namespace velkaron::wine_test {
namespace {

struct ObjectBook {
  std::mutex mutex;
  std::map<std::string, int, std::less<>> next_id;  // per kind, from 1
  std::set<std::string> alive;
  int misused = 0;
};

ObjectBook& object_book() {
  // Never destroyed: objects may still be released while the process unwinds.
  static auto* instance = new ObjectBook;
  return *instance;
}

}  // namespace

std::string object_born(std::string_view kind) {
  auto& book = object_book();
  std::string name;
  {
    std::lock_guard lock(book.mutex);
    name = std::string(kind) + "#" + std::to_string(++book.next_id[std::string(kind)]);
    book.alive.insert(name);
  }
  record_line("new " + name);
  return name;
}

void object_died(std::string_view name) {
  auto& book = object_book();
  {
    std::lock_guard lock(book.mutex);
    book.alive.erase(std::string(name));
  }
  record_line("released " + std::string(name));
}

void object_misused(std::string_view name, std::string_view method) {
  auto& book = object_book();
  {
    std::lock_guard lock(book.mutex);
    ++book.misused;
  }
  record_line("MISUSE " + std::string(method) + " on released " + std::string(name));
}

bool record_module_life(DWORD reason, const wchar_t* record_variable) {
  if (reason == DLL_PROCESS_ATTACH) {
    open_record(record_variable);
    record_line("attach");
    return true;
  }
  if (reason == DLL_PROCESS_DETACH) record_line("detach " + ledger_summary());
  return false;
}

int live_objects() {
  auto& book = object_book();
  std::lock_guard lock(book.mutex);
  return static_cast<int>(book.alive.size());
}

std::string ledger_summary() {
  auto& book = object_book();
  std::lock_guard lock(book.mutex);
  std::string summary =
      "live=" + std::to_string(book.alive.size()) + " misused=" + std::to_string(book.misused);
  if (!book.alive.empty()) {
    summary += " alive:";
    for (const auto& name : book.alive) summary += " " + name;
  }
  return summary;
}

}  // namespace velkaron::wine_test
