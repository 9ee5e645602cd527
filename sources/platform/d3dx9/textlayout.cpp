#include "platform/d3dx9/textlayout.h"

#include "platform/d3dx9/d3dx9.h"

namespace
{
class TLayoutBuilder
{
public:
    TLayoutBuilder(TFontFace& face, const std::u32string& text, const RECT& rect, DWORD format)
        : face_(face), text_(text), rect_(rect), format_(format)
    {
    }

    void Line(std::size_t first, std::size_t count, int width)
    {
        int x = rect_.left;
        if (format_ & DT_CENTER)
            x += (rect_.right - rect_.left - width) / 2;
        else if (format_ & DT_RIGHT)
            x = rect_.right - width;
        const int y = rect_.top + int(layout_.lines.size()) * face_.LineHeight();
        layout_.lines.push_back({first, count, x, y, width});
        if (width > layout_.width)
            layout_.width = width;
    }

    // Breaks one paragraph [first, end) between words so that lines fit the rectangle's width;
    // a word wider than the rectangle stands alone on its line.
    void WordBreak(std::size_t first, std::size_t end)
    {
        const int limit = rect_.right - rect_.left;
        std::size_t start = first;
        do
        {
            std::size_t lineEnd = start;
            int lineWidth = 0;
            while (lineEnd < end)
            {
                std::size_t wordEnd = lineEnd;
                while (wordEnd < end && text_[wordEnd] == U' ')
                    ++wordEnd;
                if (wordEnd == end)
                    break; // only spaces remain: they end the line
                while (wordEnd < end && text_[wordEnd] != U' ')
                    ++wordEnd;
                const int width = lineWidth + face_.Width(text_.data() + lineEnd, wordEnd - lineEnd);
                if (width > limit && lineEnd > start)
                    break;
                lineWidth = width;
                lineEnd = wordEnd;
            }
            Line(start, lineEnd - start, lineWidth);
            start = lineEnd;
            while (start < end && text_[start] == U' ')
                ++start;
        } while (start < end);
    }

    TTextLayout Build()
    {
        if (format_ & DT_SINGLELINE)
        {
            Line(0, text_.size(), face_.Width(text_.data(), text_.size()));
        }
        else
        {
            std::size_t first = 0;
            for (;;)
            {
                std::size_t end = text_.find(U'\n', first);
                const bool last = end == std::u32string::npos;
                if (last)
                    end = text_.size();
                if (format_ & DT_WORDBREAK)
                    WordBreak(first, end);
                else
                    Line(first, end - first, face_.Width(text_.data() + first, end - first));
                if (last)
                    break;
                first = end + 1;
            }
        }
        layout_.height = int(layout_.lines.size()) * face_.LineHeight();
        return std::move(layout_);
    }

private:
    TFontFace& face_;
    const std::u32string& text_;
    const RECT& rect_;
    DWORD format_;
    TTextLayout layout_;
};
} // namespace

TTextLayout LayoutText(TFontFace& face, const std::u32string& text, const RECT& rect, DWORD format)
{
    return TLayoutBuilder(face, text, rect, format).Build();
}
