#pragma once
// The decoder's message seam: passes texts and captions on to the caller's seam, or holds them
// while a decode may still be redone (a progressive frame whose coefficients leave 16 bits is
// decoded again with 32-bit stores), so that every text reaches the caller once and in order.
#include <string>
#include <utility>
#include <vector>

#include "common/message_seam.h"

namespace vistello {

class HeldMessages final : public MessageSeam {
public:
    HeldMessages(MessageSeam& seam) : target(seam) {}   // converting, so the decoder is built from a seam

    void showMessage(const std::string& text) override {
        if (holding) held.emplace_back(false, text);
        else target.showMessage(text);
    }
    void setMainWindowTitle(const std::string& text) override {
        if (holding) held.emplace_back(true, text);
        else target.setMainWindowTitle(text);
    }

    void hold() { holding = true; }
    // Passes on what was held, in order, and stops holding.
    void release() {
        holding = false;
        for (const auto& [title, text] : held) {
            if (title) target.setMainWindowTitle(text);
            else target.showMessage(text);
        }
        held.clear();
    }
    // Forgets what was held (the decode that produced it is redone) and stops holding.
    void discard() {
        holding = false;
        held.clear();
    }

private:
    MessageSeam& target;
    bool holding = false;
    std::vector<std::pair<bool, std::string>> held;   // (caption?, text)
};

}  // namespace vistello
