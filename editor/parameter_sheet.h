#pragma once
// The parameter sheet: the rows an editor's list shows, with the header and
// footer that say which device, file and moment they belong to, laid out on
// pages. The same drawing serves a printer and a PDF file, both paged paint
// devices. The sheet is taken from the document once and then holds only
// texts, so a document that stays online cannot change it while it prints.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

class QPagedPaintDevice;

namespace kelvo {

class TFileTypeKelvo;

struct TSheetRow {
    QString Caption;
    QString Value;
    // Levels, as the list indents the caption.
    int Indent = 0;
    // A line without value that titles the lines after it.
    bool Heading = false;
    // The empty row the list shows between sections.
    bool Separator = false;
};

struct TSheetField {
    QString Name;
    QString Value;
};

struct TParameterSheet {
    QString Title;
    std::vector<TSheetField> Header;
    std::vector<TSheetRow> Rows;
    // The footer's first line: which file the checksum is of, and the sum.
    QString FileLabel;
    QString Checksum;
};

// What the sheet says beside the document's own lines.
struct TSheetContext {
    // "COM1, online at 115200 Baud", "Offline".
    QString Port;
    QDateTime Printed;
    // The window shows changes its file does not hold yet.
    bool Modified = false;
};

// The document's shown rows in list order, as the list shows them (the
// shown language, the expanded captions of repeated groups, the indentation,
// the empty separator rows); the device program, serial number and device
// tag (when the dialog has one), the port, the date and the file name above
// them; the SHA-256 of the data file below.
TParameterSheet BuildParameterSheet(const TFileTypeKelvo& document, const TSheetContext& context);

// Draws the sheet on device page by page; the number of pages, 0 when the
// device could not be painted on.
int PaintParameterSheet(const TParameterSheet& sheet, QPagedPaintDevice& device);

// The first page on an A4 picture at dotsPerInch, white behind the sheet;
// for the help pages.
QImage ParameterSheetPicture(const TParameterSheet& sheet, int dotsPerInch);

// The sheet as a PDF document (A4); empty when it could not be made.
QByteArray ParameterSheetPdf(const TParameterSheet& sheet);

} // namespace kelvo
