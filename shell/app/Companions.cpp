#include "shell/app/Companions.h"

namespace orvane::shell {

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment&) { return std::make_unique<Companions>(); }

} // namespace orvane::shell
