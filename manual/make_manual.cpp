// Writes the user manual PDF from manual.md and the screenshots beside it.
//
//   make_manual <manual.md> <output.pdf>
//
// manual.md is a small subset of Markdown, enough for a manual:
//   # chapter (starts a new page)   ## section   ### subsection
//   paragraphs separated by blank lines; "- " bullets; "1. " numbered steps
//   | a | b | tables (the first row is the header; a |---| line is skipped)
//   > a note, shown in a box
//   ![caption](images/name.png) a screenshot on its own line, with its caption
//   **bold** and `code` inside text
// The text goes into the PDF as text in an embedded Japanese font, so that it
// can be searched and copied.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextStream>
#include <QTextTable>
#include <cstdio>

namespace {

// The widest an image is drawn, in the document's layout units (pixels at
// 96 dpi before the page is scaled): the text width of an A4 page with
// 20 mm margins.
constexpr int kMaxImageWidth = 520;
// Screenshots keep their size up to this many layout units high, so that a
// window and its caption fit one page with the heading above it.
constexpr int kMaxImageHeight = 340;

QString inlineMarkup(const QString& text) {
    QString html = text.toHtmlEscaped();
    html.replace(QRegularExpression("\\*\\*(.+?)\\*\\*"), "<b>\\1</b>");
    html.replace(QRegularExpression("`(.+?)`"),
                 "<span style=\"font-family:'IPAGothic','Noto Sans Mono CJK JP'; background-color:#eeeeee;\">"
                 "\\1</span>");
    return html;
}

struct Converter {
    QString baseFolder;
    QTextDocument* doc = nullptr;
    QString html;
    QStringList paragraph;
    QString listKind;  // "ul", "ol" or empty
    QStringList tableRows;
    bool firstChapter = true;
    int images = 0;
    QStringList problems;

    void flushParagraph() {
        if (paragraph.isEmpty()) return;
        html += "<p>" + inlineMarkup(paragraph.join("")) + "</p>\n";
        paragraph.clear();
    }
    void closeList() {
        if (listKind.isEmpty()) return;
        html += "</" + listKind + ">\n";
        listKind.clear();
    }
    void flushTable() {
        if (tableRows.isEmpty()) return;
        html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\" "
                "style=\"border-color:#888888; border-style:solid;\">\n";
        bool header = true;
        for (const QString& row : tableRows) {
            QString inner = row.trimmed();
            if (inner.startsWith('|')) inner.remove(0, 1);
            if (inner.endsWith('|')) inner.chop(1);
            html += "<tr>";
            for (const QString& cell : inner.split('|')) {
                const QString tag = header ? "th" : "td";
                html += "<" + tag +
                        (header ? " style=\"background-color:#d8e4ec;\" align=\"left\"" : "") +
                        ">" + inlineMarkup(cell.trimmed()) + "</" + tag + ">";
            }
            html += "</tr>\n";
            header = false;
        }
        html += "</table>\n";
        tableRows.clear();
    }
    void flushAll() {
        flushParagraph();
        closeList();
        flushTable();
    }

    void image(const QString& caption, const QString& path) {
        const QString file = QFileInfo(QDir(baseFolder), path).absoluteFilePath();
        QImage picture(file);
        if (picture.isNull()) {
            problems << "画像を読めません: " + file;
            return;
        }
        ++images;
        doc->addResource(QTextDocument::ImageResource, QUrl(path), picture);
        // Screenshots are drawn at most at their own size and never wider
        // than the text.
        double scale = 1.0;
        if (picture.width() > kMaxImageWidth) scale = double(kMaxImageWidth) / picture.width();
        if (picture.height() * scale > kMaxImageHeight)
            scale = double(kMaxImageHeight) / picture.height();
        const int w = int(picture.width() * scale);
        const int h = int(picture.height() * scale);
        html += QString("<p align=\"center\" style=\"line-height:100%;\"><img src=\"%1\" width=\"%2\" height=\"%3\"></p>\n")
                    .arg(path.toHtmlEscaped())
                    .arg(w)
                    .arg(h);
        if (!caption.isEmpty())
            html += "<p align=\"center\" style=\"color:#444444; font-size:9pt;\">" +
                    inlineMarkup(caption) + "</p>\n";
    }

    void line(const QString& raw) {
        const QString text = raw.trimmed();
        static const QRegularExpression imageLine("^!\\[(.*)\\]\\((.+)\\)$");
        static const QRegularExpression numbered("^(\\d+)\\.\\s+(.*)$");
        if (text.isEmpty()) {
            flushAll();
            return;
        }
        if (text.startsWith('|')) {
            flushParagraph();
            closeList();
            if (!QRegularExpression("^\\|[\\s\\-:|]+\\|$").match(text).hasMatch())
                tableRows << text;
            return;
        }
        flushTable();
        if (text.startsWith("#")) {
            flushAll();
            int level = 0;
            while (level < text.size() && text[level] == '#') ++level;
            const QString title = inlineMarkup(text.mid(level).trimmed());
            if (level == 1) {
                // Every chapter begins on a new page.
                const QString pageBreak = firstChapter ? QString() : " style=\"page-break-before:always;\"";
                firstChapter = false;
                html += "<h1" + pageBreak + ">" + title + "</h1>\n";
            } else {
                html += QString("<h%1>%2</h%1>\n").arg(level).arg(title);
            }
            return;
        }
        const auto img = imageLine.match(text);
        if (img.hasMatch()) {
            flushAll();
            image(img.captured(1), img.captured(2));
            return;
        }
        if (text.startsWith("> ")) {
            flushAll();
            html += "<table width=\"100%\" cellpadding=\"6\" style=\"background-color:#fff6d8;\">"
                    "<tr><td>" +
                    inlineMarkup(text.mid(2)) + "</td></tr></table>\n";
            return;
        }
        if (text.startsWith("- ")) {
            flushParagraph();
            if (listKind != "ul") {
                closeList();
                listKind = "ul";
                html += "<ul>\n";
            }
            html += "<li>" + inlineMarkup(text.mid(2)) + "</li>\n";
            return;
        }
        const auto num = numbered.match(text);
        if (num.hasMatch()) {
            flushParagraph();
            if (listKind != "ol") {
                closeList();
                listKind = "ol";
                html += "<ol>\n";
            }
            html += "<li>" + inlineMarkup(num.captured(2)) + "</li>\n";
            return;
        }
        // A line inside a list item continues it (indented text).
        if (!listKind.isEmpty() && raw.startsWith("  ") && html.endsWith("</li>\n")) {
            html.chop(6);
            html += inlineMarkup(text) + "</li>\n";
            return;
        }
        closeList();
        paragraph << text;
    }
};

// A family that holds Japanese, embedded in the PDF as a font (not drawn as
// outlines). The IPA fonts come first: they have no Kangxi radical
// characters, whose glyphs the CJK faces of Noto share with common kanji
// (一, 人, 力, 示 ...), and the PDF's map back to text would name the radical,
// so that copied or searched text would not match.
QString japaneseFamily() {
    if (qEnvironmentVariableIsSet("MANUAL_FONT")) return qEnvironmentVariable("MANUAL_FONT");
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    for (const char* name : {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "Noto Sans JP"})
        if (families.contains(QString::fromUtf8(name))) return QString::fromUtf8(name);
    return families.isEmpty() ? QString() : families.first();
}


// ---- Pages ----------------------------------------------------------------
//
// The document is laid out on pages of our own size, so that a screenshot
// stays on the page of its caption and a heading on the page of what follows
// it; QTextDocument alone breaks wherever a line no longer fits.

bool isImageBlock(const QTextBlock& block) {
    if (block.length() != 2) return false;  // the object character and the block end
    const QTextFragment fragment = block.begin().fragment();
    return fragment.isValid() && fragment.charFormat().isImageFormat();
}

bool isCaption(const QTextBlock& block) {
    return block.isValid() && !isImageBlock(block) &&
           (block.blockFormat().alignment() & Qt::AlignHCenter);
}

// Headings keep with the block after them, screenshots with their caption.
bool keepsWithNext(const QTextBlock& block) {
    if (block.blockFormat().headingLevel() > 0) return true;
    return isImageBlock(block) && isCaption(block.next());
}

// Top and bottom of a block's first line, in document coordinates. Lines
// that did not fit were moved by the layout, so this is where they are drawn.
QRectF firstLine(const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    if (!layout || layout->lineCount() == 0) return {};
    const QTextLine line = layout->lineAt(0);
    return QRectF(layout->position() + line.position(), QSizeF(line.naturalTextWidth(), line.height()));
}

int pageOf(double y, double pageHeight) { return int(y / pageHeight); }

// Moves the start of a run of kept-together blocks to a new page where the
// run would be split. Each move only pushes text further down, so the loop
// ends; a run taller than a page stays split.
void keepTogether(QTextDocument& doc) {
    const double height = doc.pageSize().height();
    for (int pass = 0; pass < 500; ++pass) {
        bool moved = false;
        for (QTextBlock block = doc.begin(); block.isValid() && !moved; block = block.next()) {
            if (!keepsWithNext(block) || QTextCursor(block).currentTable()) continue;
            const QTextBlock next = block.next();
            if (!next.isValid()) break;
            const QRectF here = firstLine(block);
            const QRectF after = firstLine(next);
            if (here.isNull() || after.isNull()) continue;
            if (pageOf(here.top(), height) == pageOf(after.bottom() - 1, height)) continue;
            QTextBlock start = block;
            while (start.previous().isValid() && keepsWithNext(start.previous()) &&
                   pageOf(firstLine(start.previous()).top(), height) == pageOf(here.top(), height))
                start = start.previous();
            QTextBlockFormat format = start.blockFormat();
            if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(start).setBlockFormat(format);
            doc.documentLayout()->documentSize();  // lays the document out again
            moved = true;
        }
        if (!moved) return;
    }
}

// Draws every page of the laid-out document on the writer, with the page
// number centred below the text.
void printPages(QTextDocument& doc, QPdfWriter& writer, double scale, double footer) {
    QPainter painter(&writer);
    const QSizeF page = doc.pageSize();
    QFont numberFont = doc.defaultFont();
    numberFont.setPointSizeF(9);
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0) writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        const QRectF area(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -area.top());
        painter.setClipRect(area);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = area;
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        // The font's point size already holds the writer's resolution.
        painter.setFont(numberFont);
        painter.setPen(QColor(0x44, 0x44, 0x44));
        painter.drawText(QRectF(0, page.height() * scale, page.width() * scale, footer * scale),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 1));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_manual <manual.md> <output.pdf>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "make_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString family = japaneseFamily();
    if (family.isEmpty()) {
        std::fprintf(stderr, "make_manual: no Japanese font installed\n");
        return 1;
    }

    QTextDocument doc;
    QFont font(family);
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(
        "h1 { font-size: 18pt; color: #163056; margin-top: 0px; margin-bottom: 12px; }"
        "h2 { font-size: 13.5pt; color: #163056; margin-top: 18px; margin-bottom: 6px; }"
        "h3 { font-size: 11.5pt; margin-top: 12px; margin-bottom: 4px; }"
        "p { margin-top: 4px; margin-bottom: 6px; line-height: 155%; }"
        "li { margin-bottom: 3px; line-height: 140%; }"
        "th { font-weight: bold; }");

    Converter converter;
    converter.baseFolder = QFileInfo(source).absolutePath();
    converter.doc = &doc;
    QTextStream stream(&in);
    stream.setEncoding(QStringConverter::Utf8);
    while (!stream.atEnd()) converter.line(stream.readLine());
    converter.flushAll();
    if (!converter.problems.isEmpty()) {
        for (const QString& p : converter.problems) std::fprintf(stderr, "make_manual: %s\n", qPrintable(p));
        return 1;
    }
    doc.setHtml("<html><body>" + converter.html + "</body></html>");

    // Written beside the target and renamed, so that a failed run never
    // leaves half a manual where the program looks for it.
    const QString partial = target + ".part";
    QFile::remove(partial);
    {
        QPdfWriter writer(partial);
        writer.setTitle(QString::fromUtf8("Mirukasu ユーザーマニュアル"));
        writer.setCreator("Mirukasu");
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 18, 20, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        // The document is laid out in the units its image sizes are given
        // in (the font metrics' resolution) and scaled up onto the writer.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const double sourceDpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        const double scale = writer.resolution() / sourceDpi;
        const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
        const double footer = 9.0 / 25.4 * sourceDpi;  // 9 mm for the page number
        doc.setPageSize(QSizeF(paint.width() / scale, paint.height() / scale - footer));
        doc.documentLayout()->documentSize();
        keepTogether(doc);
        printPages(doc, writer, scale, footer);
        std::printf("make_manual: %d pages\n", doc.pageCount());
    }
    if (QFileInfo(partial).size() == 0) {
        std::fprintf(stderr, "make_manual: nothing was written\n");
        return 1;
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        std::fprintf(stderr, "make_manual: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("make_manual: %d images\n", converter.images);
    return 0;
}
