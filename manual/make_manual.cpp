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
#include <QTextDocument>
#include <QTextStream>
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
                 "<span style=\"font-family:'Noto Sans Mono CJK JP'; background-color:#eeeeee;\">"
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
        html += QString("<p align=\"center\"><img src=\"%1\" width=\"%2\" height=\"%3\"></p>\n")
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
// outlines): the CJK faces of Noto, else anything the font database offers.
QString japaneseFamily() {
    if (qEnvironmentVariableIsSet("MANUAL_FONT")) return qEnvironmentVariable("MANUAL_FONT");
    const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    for (const char* name : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic"})
        if (families.contains(QString::fromUtf8(name))) return QString::fromUtf8(name);
    return families.isEmpty() ? QString() : families.first();
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
        "p { margin-top: 4px; margin-bottom: 6px; line-height: 140%; }"
        "li { margin-bottom: 3px; }"
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
        writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
        writer.setResolution(300);
        // print() lays the document out on the writer's pages and numbers them.
        doc.print(&writer);
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
