// Writes the laid-out description as an RTF document: one \pard...\par per
// paragraph, character formatting switched by control words where it changes
// (no groups, so braces stay balanced whatever the text), fonts 0 (body) and
// 1 (monospace), colours 1 (text), 2 (links), 3 (background) and the
// document's own colours behind them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "description/HtmlToRtf.h"
#include "description/TextSink.h"

namespace qm {

// One level of list or quote indentation, and the hanging indent of a list
// marker, in twips.
inline constexpr int kRtfIndentTwips = 360;
// Tab stops of table rows, so that short cells line up.
inline constexpr int kRtfCellTwips = 1800;
// A document colour closer than this to the background (sum of the channel
// differences) is replaced by the text colour, so no text can hide in the page.
inline constexpr int kMinColorDistance = 60;

class RtfWriter : public TextSink {
public:
    explicit RtfWriter(const RtfStyle& style);

    void BeginParagraph(const ParagraphStart& start) override;
    void EndParagraph() override;
    void Text(std::u32string_view text, const CharFormat& format) override;
    void LineBreak() override;
    void Tab() override;
    void Rule(const BlockFormat& block, int spaceBefore) override;

    // The whole document written so far.
    std::string Document() const;

private:
    struct State {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        int font = 0;
        int size = 0;
        int color = 1;
    };

    void ParagraphProperties(const BlockFormat& block, int spaceBefore, bool hanging);
    void SetFormat(const CharFormat& format);
    void Switch(bool& current, bool wanted, const char* on, const char* off);
    void Number(const char* word, int value);
    int ColorIndex(const CharFormat& format);

    RtfStyle style_;
    std::string body_;
    std::vector<TextColor> colors_;  // colour table entries from 1
    std::map<std::uint32_t, int> colorIndex_;
    State state_;
};

}  // namespace qm
