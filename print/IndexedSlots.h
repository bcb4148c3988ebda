#pragma once

#include "print/PrintSurface.h"

#include <map>
#include <string>
#include <utility>

namespace quillset {

// A hidden form's run-time control array (DocImg, TextArea): slot 0 is the design's template and
// always exists; a job creates slots 1..n and destroys them when it ends. Misuse (creating a
// slot twice, touching or destroying a missing one) is a PrintFailure naming the slot.
template <typename Slot> class IndexedSlots {
public:
    explicit IndexedSlots(std::string arrayName) : arrayName_(std::move(arrayName)) {}

    // Loading happens on first use of a slot as well, as with a form touched by code.
    void load() { loaded_ = true; }
    // Unloading the form takes its run-time slots with it.
    void unload() {
        slots_.clear();
        loaded_ = false;
    }
    bool isLoaded() const { return loaded_; }

    Slot& create(int index, Slot slot) {
        if (index < 1)
            throw PrintFailure("cannot create " + slotName(index));
        if (slots_.count(index))
            throw PrintFailure(slotName(index) + " already exists");
        load();
        return slots_.emplace(index, std::move(slot)).first->second;
    }
    Slot& at(int index) { return const_cast<Slot&>(std::as_const(*this).at(index)); }
    const Slot& at(int index) const {
        const auto found = slots_.find(index);
        if (found == slots_.end())
            throw PrintFailure(slotName(index) + " does not exist");
        return found->second;
    }
    void destroy(int index) {
        if (index < 1 || slots_.erase(index) == 0)
            throw PrintFailure("cannot destroy " + slotName(index));
    }
    // The end of a job: slots 1 to the highest index destroyed in ascending order, then the form
    // unloaded.
    void destroyAllAndUnload() {
        const int last = highest();
        for (int index = 1; index <= last; ++index)
            if (has(index))
                destroy(index);
        unload();
    }

    // The highest slot index in use, 0 when only the template exists.
    int highest() const { return slots_.empty() ? 0 : slots_.rbegin()->first; }
    // Whether a run-time slot exists (the template is not one).
    bool has(int index) const { return slots_.count(index) != 0; }

private:
    std::string slotName(int index) const { return arrayName_ + "(" + std::to_string(index) + ")"; }

    std::string arrayName_;
    bool loaded_ = false;
    std::map<int, Slot> slots_;
};

} // namespace quillset
