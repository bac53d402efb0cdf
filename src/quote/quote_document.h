#pragma once
// The printable quote laid out: HTML for QTextDocument (and for a file of its
// own), then PDF through QPdfWriter or a printer through QPrinter. Every page
// carries the demo banner when the quote's rates are the demo database's.
#include <QPageLayout>
#include <QString>

#include "rating/quote_content.h"

class QPagedPaintDevice;

namespace zelmora {

// The quote as one HTML page. With `embedded_images` the chart is a data URL
// (for a file of its own); otherwise it names the image resource
// "quote-chart.png" that the renderer adds to its document.
QString quote_html(const quote_content& quote, bool embedded_images);

// Lays the quote out on the device's pages (a QPdfWriter or a QPrinter), with
// the page number, the footer and, for demo rates, the banner on every page.
// A page never ends with a heading or what leads into a table, never cuts a
// table's row, and a table that goes on over a page break starts the next page
// with its name ("Corn (continued)") and its heading row.
// False with a reason when the device cannot be painted on.
bool render_quote(const quote_content& quote, QPagedPaintDevice& device, QString& error);

// The page of every quote: US Letter, portrait, with its margins. The PDF file
// and the command line use it, and a printer starts from it.
QPageLayout quote_page_layout();

// Writes the quote as a PDF file (quote_page_layout) or as an HTML file, whole or
// not at all: laid out in memory, then through a temporary file beside it renamed
// to its name (atomic_file). False with a reason ("cannot write "PATH": " and the
// system's reason); the file that was there is then left as it was.
bool write_quote_pdf(const quote_content& quote, const QString& path, QString& error);
bool write_quote_html(const quote_content& quote, const QString& path, QString& error);

}  // namespace zelmora
