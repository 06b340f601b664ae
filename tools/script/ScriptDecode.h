// Finds the container in any byte sequence, so that writing it again gives
// back exactly the same bytes. Whatever does not fit the layout (a missing
// magic, a record cut short, a record start that points nowhere) is kept as
// raw bytes or as an explicit trailer field.
#pragma once

#include <cstdint>
#include <span>

#include "tools/script/ScriptModel.h"

namespace qm::script {

Container DecodeContainer(std::span<const std::uint8_t> bytes);

}  // namespace qm::script
