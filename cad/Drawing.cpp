#include "Drawing.h"

#include <algorithm>
#include <iterator>

namespace cad {

void Drawing::add(Entity entity)
{
    if (!groupOpen_)
        groups_.push_back({entities_.size(), 0});
    entities_.push_back(std::move(entity));
    redo_.clear();
    changed();
}

void Drawing::beginGroup(std::string_view name)
{
    endGroup();
    groupOpen_ = true;
    open_ = {entities_.size(), nameId(name)};
}

void Drawing::endGroup()
{
    if (!groupOpen_)
        return;
    groupOpen_ = false;
    if (entities_.size() > open_.begin)
        groups_.push_back(open_);
}

bool Drawing::removeLast()
{
    if (!groupOpen_ || entities_.size() <= open_.begin)
        return false;
    entities_.pop_back();
    changed();
    return true;
}

std::string Drawing::undo()
{
    endGroup();
    if (groups_.empty())
        return {};
    const Group g = groups_.back();
    groups_.pop_back();
    Undone undone{g.name, {}};
    const auto first = entities_.begin() + static_cast<std::ptrdiff_t>(g.begin);
    undone.entities.assign(std::make_move_iterator(first), std::make_move_iterator(entities_.end()));
    entities_.erase(first, entities_.end());
    redo_.push_back(std::move(undone));
    changed();
    return names_.empty() ? std::string() : names_[g.name];
}

std::string Drawing::redo()
{
    endGroup();
    if (redo_.empty())
        return {};
    Undone undone = std::move(redo_.back());
    redo_.pop_back();
    groups_.push_back({entities_.size(), undone.name});
    std::move(undone.entities.begin(), undone.entities.end(), std::back_inserter(entities_));
    changed();
    return names_.empty() ? std::string() : names_[undone.name];
}

void Drawing::clear()
{
    replace({});
}

void Drawing::replace(std::vector<Entity> entities)
{
    entities_ = std::move(entities);
    groups_.clear();
    redo_.clear();
    groupOpen_ = false;
    changed();
}

std::uint32_t Drawing::nameId(std::string_view name)
{
    if (names_.empty())
        names_.emplace_back();
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (it != names_.end())
        return static_cast<std::uint32_t>(it - names_.begin());
    names_.emplace_back(name);
    return static_cast<std::uint32_t>(names_.size() - 1);
}

} // namespace cad
