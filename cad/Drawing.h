#pragma once

#include "Entity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cad {

// The drawing model: entities in drawing order, and undo groups over them. What one command adds
// is one group, so U takes the whole command back.
class Drawing
{
public:
    const std::vector<Entity> &entities() const { return entities_; }

    // Adds to the open group, or as a group of its own when none is open.
    void add(Entity entity);

    void beginGroup(std::string_view name);
    void endGroup();
    // Takes back the last entity of the open group (LINE's "u"); false when the group is empty.
    bool removeLast();

    bool canUndo() const { return !groups_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Name of the command taken back or restored; empty when there was nothing to do.
    std::string undo();
    std::string redo();

    // A new, empty drawing, or one read from a file; both forget the undo history.
    void clear();
    void replace(std::vector<Entity> entities);

    // Grows with every change, so views know when to repaint.
    std::uint64_t revision() const { return revision_; }
    bool modified() const { return revision_ != savedRevision_; }
    void markSaved() { savedRevision_ = revision_; }

private:
    struct Group
    {
        std::size_t begin = 0;
        std::uint32_t name = 0;
    };
    struct Undone
    {
        std::uint32_t name = 0;
        std::vector<Entity> entities;
    };

    std::uint32_t nameId(std::string_view name);
    void changed() { ++revision_; }

    std::vector<Entity> entities_;
    std::vector<Group> groups_;
    std::vector<Undone> redo_;
    std::vector<std::string> names_;
    bool groupOpen_ = false;
    Group open_;
    std::uint64_t revision_ = 0;
    std::uint64_t savedRevision_ = 0;
};

} // namespace cad
