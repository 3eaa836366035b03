// placeholder: being written
#include "report/pretty_json.h"
namespace velkaron::report {
std::string to_pretty_json(const JsonValue&) { return "{}"; }
}  // namespace velkaron::report
