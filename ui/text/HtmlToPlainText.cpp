#include "ui/text/HtmlToPlainText.h"

#include "ui/text/HtmlLayout.h"
#include "ui/text/PlainTextWriter.h"

namespace qm {

std::string HtmlToPlainText(std::string_view html) {
    PlainTextWriter writer;
    LayOutHtml(html, writer);
    return writer.Result();
}

}  // namespace qm
