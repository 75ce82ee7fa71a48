#pragma once

#include <Qt>

namespace tarnwick {

// The horizontal header role under which a model names the dataset field of a column. A model
// that does not answer it is read through Qt::DisplayRole instead.
constexpr int FieldNameRole = Qt::UserRole + 100;

} // namespace tarnwick
