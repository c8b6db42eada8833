#include "printing/gui/TReportDesigner.h"

#include "base/Error.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"

#include "ui_TReportDesigner.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>

namespace vivrelo {

namespace {

constexpr int kBandRole = Qt::UserRole;
constexpr int kObjectRole = Qt::UserRole + 1;
constexpr int kMaxDecimals = 6; // the longest fixed format a layout file takes ("0.000000")

QString BandCaption(BandKind kind)
{
    switch (kind) {
    case BandKind::Title:
        return QStringLiteral("Titre du rapport");
    case BandKind::PageHeader:
        return QStringLiteral("En-tête de page");
    case BandKind::MasterData:
        return QStringLiteral("Données");
    case BandKind::PageFooter:
        return QStringLiteral("Pied de page");
    case BandKind::Summary:
        return QStringLiteral("Résumé");
    }
    return {};
}

QString ObjectCaption(const ReportObject &o)
{
    switch (o.kind) {
    case ObjectKind::Text:
        if (o.pieces.size() == 1 && o.pieces[0].isName)
            return QStringLiteral("Champ [%1]").arg(o.pieces[0].text);
        return QStringLiteral("Texte « %1 »").arg(o.text);
    case ObjectKind::Line:
        return QStringLiteral("Trait");
    case ObjectKind::Rect:
        return QStringLiteral("Cadre");
    case ObjectKind::Picture:
        return QStringLiteral("Image [%1]").arg(o.field);
    }
    return {};
}

int FormatIndex(const ReportObject &o)
{
    switch (o.format) {
    case ValueFormat::Plain:
        return 0;
    case ValueFormat::Money:
        return 1;
    case ValueFormat::Integer:
        return 2;
    case ValueFormat::Fixed:
        return 2 + std::clamp(o.decimals, 1, kMaxDecimals);
    }
    return 0;
}

void SetFormat(ReportObject &o, int index)
{
    if (index <= 0)
        o.format = ValueFormat::Plain;
    else if (index == 1)
        o.format = ValueFormat::Money;
    else if (index == 2)
        o.format = ValueFormat::Integer;
    else {
        o.format = ValueFormat::Fixed;
        o.decimals = index - 2;
    }
}

// A colour edit's text: "#RRGGBB", or empty when `emptyAllowed` (no colour).
bool ReadColour(const QString &text, bool emptyAllowed, QColor &colour)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        colour = QColor();
        return emptyAllowed;
    }
    const QColor c = QColor::fromString(t);
    if (!t.startsWith(QLatin1Char('#')) || t.size() != 7 || !c.isValid())
        return false;
    colour = c;
    return true;
}

QString ColourText(const QColor &c)
{
    return c.isValid() ? c.name(QColor::HexRgb).toUpper() : QString();
}

} // namespace

TReportDesigner::TReportDesigner(
    const ReportLayout &layout, const QString &path, const QStringList &fields, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TReportDesigner>())
    , m_layout(layout)
    , m_path(path)
    , m_fields(fields)
    , m_prompter(prompter)
{
    ui->setupUi(this);
    ui->Exit->setPixmap(ShellPicture(QStringLiteral("close")));
    ui->Btn_Shipped->setVisible(false);
    m_colourDialog = [this](const QColor &initial) {
        return QColorDialog::getColor(initial, this, QStringLiteral("Couleur"));
    };
    ui->Combo_Format->clear();
    ui->Combo_Format->addItems(
        {QStringLiteral("Tel quel"), QStringLiteral("Monétaire (2 décimales et symbole)"), QStringLiteral("Entier")});
    for (int d = 1; d <= kMaxDecimals; ++d)
        ui->Combo_Format->addItem(QStringLiteral("0.") + QString(d, QLatin1Char('0')));
    ui->Combo_Font->setEditable(true);

    fillTree();
    connect(ui->Tree_Objects, &QTreeWidget::currentItemChanged, this, &TReportDesigner::showObject);
    for (QLineEdit *edit : {ui->Ed_Text, ui->Ed_Color, ui->Ed_Fill})
        connect(edit, &QLineEdit::textEdited, this, &TReportDesigner::applyFields);
    for (QDoubleSpinBox *spin : {ui->Spin_X, ui->Spin_Y, ui->Spin_Width, ui->Spin_Height, ui->Spin_FontSize,
             ui->Spin_PenWidth, ui->Spin_BandHeight})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &TReportDesigner::applyFields);
    for (QCheckBox *box : {ui->Chk_Bold, ui->Chk_Italic, ui->Chk_Underline, ui->Chk_Wrap, ui->Chk_Grow})
        connect(box, &QCheckBox::toggled, this, &TReportDesigner::applyFields);
    for (QComboBox *combo : {ui->Combo_Align, ui->Combo_Format})
        connect(combo, &QComboBox::currentIndexChanged, this, &TReportDesigner::applyFields);
    connect(ui->Combo_Font, &QComboBox::currentTextChanged, this, &TReportDesigner::applyFields);
    // A picture shows the field chosen; a text takes it with "Insérer".
    connect(ui->Combo_Field, &QComboBox::currentIndexChanged, this, [this] {
        if (ReportObject *o = currentObject(); o && o->kind == ObjectKind::Picture)
            applyFields();
    });
    connect(ui->Btn_InsertField, &QPushButton::clicked, this, &TReportDesigner::Btn_InsertFieldClick);
    connect(ui->Btn_Color, &QPushButton::clicked, this, [this] { chooseColour(ui->Ed_Color); });
    connect(ui->Btn_Fill, &QPushButton::clicked, this, [this] { chooseColour(ui->Ed_Fill); });
    connect(ui->Btn_AddText, &QPushButton::clicked, this, [this] { addObject(ObjectKind::Text, false); });
    connect(ui->Btn_AddField, &QPushButton::clicked, this, [this] { addObject(ObjectKind::Text, true); });
    connect(ui->Btn_AddLine, &QPushButton::clicked, this, [this] { addObject(ObjectKind::Line, false); });
    connect(ui->Btn_AddRect, &QPushButton::clicked, this, [this] { addObject(ObjectKind::Rect, false); });
    connect(ui->Btn_AddPicture, &QPushButton::clicked, this, [this] { addObject(ObjectKind::Picture, false); });
    connect(ui->Btn_Delete, &QPushButton::clicked, this, &TReportDesigner::Btn_DeleteClick);
    connect(ui->Btn_Save, &QPushButton::clicked, this, &TReportDesigner::Btn_SaveClick);
    connect(ui->Btn_Shipped, &QPushButton::clicked, this, &TReportDesigner::Btn_ShippedClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    showObject();
    WindowChrome::prepare(this);
}

TReportDesigner::~TReportDesigner() = default;

bool TReportDesigner::edit(ReportRun &run, Prompter &prompter, QWidget *parent)
{
    const QString savePath = run.userLayoutPath.isEmpty() ? run.layoutPath : run.userLayoutPath;
    TReportDesigner designer(run.layout, savePath, run.fields, prompter, parent);
    designer.setShippedPath(run.shippedLayoutPath);
    if (designer.exec() != QDialog::Accepted)
        return false;
    run.layout = designer.layout();
    run.layoutPath = designer.path();
    return true;
}

void TReportDesigner::setShippedPath(const QString &path)
{
    m_shippedPath = path;
    ui->Btn_Shipped->setVisible(!path.isEmpty() && QFileInfo(path) != QFileInfo(m_path));
}

QStringList TReportDesigner::variableNames()
{
    return {QStringLiteral("PAGE"), QStringLiteral("PAGES"), QStringLiteral("LINE"), QStringLiteral("DATE"),
        QStringLiteral("TIME"), QStringLiteral("TITLE"), QStringLiteral("CURRENCYSYMBOL"), QStringLiteral("PRICE1"),
        QStringLiteral("PRICE2"), QStringLiteral("PRICE3")};
}

void TReportDesigner::fillTree(int band, int object)
{
    m_loading = true;
    ui->Tree_Objects->clear();
    QTreeWidgetItem *chosen = nullptr;
    for (int b = 0; b < int(m_layout.bands.size()); ++b) {
        const ReportBand &rb = m_layout.bands[size_t(b)];
        auto *bandItem = new QTreeWidgetItem(ui->Tree_Objects, {BandCaption(rb.kind)});
        bandItem->setData(0, kBandRole, b);
        bandItem->setData(0, kObjectRole, -1);
        if (b == band && object < 0)
            chosen = bandItem;
        for (int o = 0; o < int(rb.objects.size()); ++o) {
            auto *item = new QTreeWidgetItem(bandItem, {ObjectCaption(rb.objects[size_t(o)])});
            item->setData(0, kBandRole, b);
            item->setData(0, kObjectRole, o);
            if (b == band && o == object)
                chosen = item;
        }
    }
    ui->Tree_Objects->expandAll();
    m_loading = false;
    if (chosen)
        ui->Tree_Objects->setCurrentItem(chosen);
    showObject();
    drawPreview();
}

ReportBand *TReportDesigner::currentBand()
{
    const QTreeWidgetItem *item = ui->Tree_Objects->currentItem();
    if (!item)
        return nullptr;
    const int b = item->data(0, kBandRole).toInt();
    return b >= 0 && b < int(m_layout.bands.size()) ? &m_layout.bands[size_t(b)] : nullptr;
}

ReportObject *TReportDesigner::currentObject()
{
    const QTreeWidgetItem *item = ui->Tree_Objects->currentItem();
    ReportBand *band = currentBand();
    if (!band)
        return nullptr;
    const int o = item->data(0, kObjectRole).toInt();
    return o >= 0 && o < int(band->objects.size()) ? &band->objects[size_t(o)] : nullptr;
}

void TReportDesigner::showObject()
{
    if (m_loading)
        return;
    const ReportBand *band = currentBand();
    const ReportObject *o = currentObject();
    const ObjectKind kind = o ? o->kind : ObjectKind::Text;
    const bool isText = o && kind == ObjectKind::Text;
    const bool hasPen = o && (kind == ObjectKind::Line || kind == ObjectKind::Rect);
    const bool hasFill = o && (kind == ObjectKind::Text || kind == ObjectKind::Rect);
    const bool isPicture = o && kind == ObjectKind::Picture;
    m_loading = true;
    ui->Spin_BandHeight->setValue(band ? band->height / 10.0 : 0);
    ui->Chk_Grow->setChecked(band && band->grow);
    ui->Ed_Text->setText(isText ? o->text : QString());
    ui->Spin_X->setValue(o ? o->x / 10.0 : 0);
    ui->Spin_Y->setValue(o ? o->y / 10.0 : 0);
    ui->Spin_Width->setValue(o ? o->width / 10.0 : 0);
    ui->Spin_Height->setValue(o ? o->height / 10.0 : 0);
    ui->Combo_Font->setEditText(isText ? o->fontFamily : QString());
    ui->Spin_FontSize->setValue(isText ? o->fontSize : 10);
    ui->Chk_Bold->setChecked(isText && o->bold);
    ui->Chk_Italic->setChecked(isText && o->italic);
    ui->Chk_Underline->setChecked(isText && o->underline);
    ui->Ed_Color->setText(isText ? ColourText(o->color) : hasPen ? ColourText(o->penColor) : QString());
    ui->Ed_Fill->setText(hasFill ? ColourText(o->fill) : QString());
    ui->Combo_Align->setCurrentIndex(isText ? int(o->align) : 0);
    ui->Chk_Wrap->setChecked(isText && o->wrap);
    ui->Combo_Format->setCurrentIndex(isText ? FormatIndex(*o) : 0);
    ui->Spin_PenWidth->setValue(hasPen ? o->penWidth / 10.0 : 0);
    // A picture comes from a field; a text may show any field or variable.
    ui->Combo_Field->clear();
    ui->Combo_Field->addItems(m_fields);
    if (!isPicture) {
        ui->Combo_Field->addItems(variableNames());
        for (const QString &f : m_fields)
            ui->Combo_Field->addItem(QStringLiteral("SUM(%1)").arg(f));
    }
    if (isPicture) {
        if (ui->Combo_Field->findText(o->field) < 0)
            ui->Combo_Field->addItem(o->field);
        ui->Combo_Field->setCurrentText(o->field);
    }
    m_loading = false;

    ui->Spin_BandHeight->setEnabled(band != nullptr);
    ui->Chk_Grow->setEnabled(band && band->kind != BandKind::PageFooter);
    for (QWidget *w : std::initializer_list<QWidget *>{ui->Spin_X, ui->Spin_Y, ui->Spin_Width, ui->Spin_Height})
        w->setEnabled(o != nullptr);
    for (QWidget *w :
        std::initializer_list<QWidget *>{ui->Ed_Text, ui->Btn_InsertField, ui->Combo_Font, ui->Spin_FontSize,
            ui->Chk_Bold, ui->Chk_Italic, ui->Chk_Underline, ui->Combo_Align, ui->Chk_Wrap, ui->Combo_Format})
        w->setEnabled(isText);
    ui->Combo_Field->setEnabled(isText || isPicture);
    ui->Ed_Color->setEnabled(isText || hasPen);
    ui->Btn_Color->setEnabled(isText || hasPen);
    ui->Ed_Fill->setEnabled(hasFill);
    ui->Btn_Fill->setEnabled(hasFill);
    ui->Spin_PenWidth->setEnabled(hasPen);
    ui->Btn_Delete->setEnabled(o != nullptr);
}

void TReportDesigner::applyFields()
{
    if (m_loading)
        return;
    QStringList errors;
    if (ReportBand *band = currentBand()) {
        band->height = qRound(ui->Spin_BandHeight->value() * 10);
        band->grow = ui->Chk_Grow->isChecked() && band->kind != BandKind::PageFooter;
    }
    if (ReportObject *o = currentObject()) {
        o->x = qRound(ui->Spin_X->value() * 10);
        o->y = qRound(ui->Spin_Y->value() * 10);
        o->width = qRound(ui->Spin_Width->value() * 10);
        o->height = qRound(ui->Spin_Height->value() * 10);
        if (o->kind != ObjectKind::Line && (o->width < 0 || o->height < 0))
            errors << QStringLiteral("La largeur et la hauteur ne peuvent pas être négatives.");
        QColor colour;
        if (o->kind == ObjectKind::Text) {
            std::vector<TextPiece> pieces;
            QString error;
            if (ParseTextTemplate(ui->Ed_Text->text(), pieces, error)) {
                o->text = ui->Ed_Text->text();
                o->pieces = std::move(pieces);
            } else {
                errors << error[0].toUpper() + error.mid(1) + QLatin1Char('.');
            }
            const QString family = ui->Combo_Font->currentText().trimmed();
            if (!family.isEmpty())
                o->fontFamily = family;
            o->fontSize = ui->Spin_FontSize->value();
            o->bold = ui->Chk_Bold->isChecked();
            o->italic = ui->Chk_Italic->isChecked();
            o->underline = ui->Chk_Underline->isChecked();
            o->align = TextAlign(ui->Combo_Align->currentIndex());
            o->wrap = ui->Chk_Wrap->isChecked();
            SetFormat(*o, ui->Combo_Format->currentIndex());
            if (ReadColour(ui->Ed_Color->text(), false, colour))
                o->color = colour;
            else
                errors << QStringLiteral("Couleur « %1 » invalide : écrivez #RRGGBB.").arg(ui->Ed_Color->text());
        } else if (o->kind == ObjectKind::Picture) {
            if (!ui->Combo_Field->currentText().isEmpty())
                o->field = ui->Combo_Field->currentText();
        } else {
            if (ReadColour(ui->Ed_Color->text(), false, colour))
                o->penColor = colour;
            else
                errors << QStringLiteral("Couleur « %1 » invalide : écrivez #RRGGBB.").arg(ui->Ed_Color->text());
            o->penWidth = qRound(ui->Spin_PenWidth->value() * 10);
        }
        if (o->kind == ObjectKind::Text || o->kind == ObjectKind::Rect) {
            if (ReadColour(ui->Ed_Fill->text(), true, colour))
                o->fill = colour;
            else
                errors << QStringLiteral("Fond « %1 » invalide : écrivez #RRGGBB, ou rien pour aucun fond.")
                              .arg(ui->Ed_Fill->text());
        }
        ui->Tree_Objects->currentItem()->setText(0, ObjectCaption(*o));
    }
    ui->Lab_Error->setText(errors.join(QLatin1Char('\n')));
    ui->Btn_Save->setEnabled(errors.isEmpty());
    drawPreview();
}

// The first page laid out over three sample rows, every field and variable shown by its
// name between brackets.
void TReportDesigner::drawPreview()
{
    QStringList fields = m_fields;
    const auto addField = [&fields](const QString &name) {
        if (!name.isEmpty() && !fields.contains(name, Qt::CaseInsensitive))
            fields << name;
    };
    for (const ReportBand &band : m_layout.bands)
        for (const ReportObject &o : band.objects) {
            if (o.kind == ObjectKind::Picture)
                addField(o.field);
            for (const TextPiece &p : o.pieces) {
                // The fields a sum names, so that the sample rows have them.
                const QString name = p.text.trimmed();
                if (p.isName && name.startsWith(QLatin1String("SUM("), Qt::CaseInsensitive)
                    && name.endsWith(QLatin1Char(')')))
                    for (const QString &factor : name.mid(4, name.size() - 5).split(QLatin1Char('*')))
                        addField(factor.trimmed());
            }
        }
    QVariantList sample;
    for (const QString &f : fields)
        sample << QVariant(QLatin1Char('[') + f + QLatin1Char(']'));
    MemoryRowSource rows(fields, {sample, sample, sample});
    try {
        const PreparedReport page = PrepareReport(m_layout, &rows,
            [](const QString &name) { return std::optional<QVariant>(QLatin1Char('[') + name + QLatin1Char(']')); });
        const double scale = ui->Img_Preview->minimumWidth() / double(std::max(1, page.pageSize.width()));
        ui->Img_Preview->setPixmap(QPixmap::fromImage(RenderPageImage(page.pages[0], page.pageSize, scale)));
    } catch (const Error &) {
        ui->Img_Preview->clear(); // a layout that cannot be laid out yet has no picture
    }
}

void TReportDesigner::addObject(ObjectKind kind, bool field)
{
    if (m_layout.bands.empty()) {
        ReportBand master;
        master.kind = BandKind::MasterData;
        master.height = 60;
        m_layout.bands.push_back(master);
    }
    ReportBand *band = currentBand();
    if (!band) {
        const ReportBand *master = m_layout.band(BandKind::MasterData);
        band = const_cast<ReportBand *>(master ? master : &m_layout.bands.front());
    }
    const int bandWidth = m_layout.pageWidth - m_layout.marginLeft - m_layout.marginRight;
    const int height = band->height > 0 ? std::min(band->height, 60) : 60;
    ReportObject o;
    o.kind = kind;
    o.width = std::min(500, bandWidth);
    o.height = height;
    QString chosen = ui->Combo_Field->currentText();
    switch (kind) {
    case ObjectKind::Text:
        if (field && chosen.isEmpty())
            chosen = m_fields.value(0, QStringLiteral("PAGE"));
        o.text = field ? QLatin1Char('[') + chosen + QLatin1Char(']') : QStringLiteral("Texte");
        if (field && o.text.contains(QLatin1String("SUM(")))
            o.format = ValueFormat::Money;
        break;
    case ObjectKind::Line:
        o.height = 0;
        break;
    case ObjectKind::Rect:
        break;
    case ObjectKind::Picture:
        if (m_fields.isEmpty()) {
            m_prompter.error(QStringLiteral("Le rapport n'a pas de données : une image vient d'un champ des données."));
            return;
        }
        o.field = m_fields.contains(chosen) ? chosen : m_fields.first();
        break;
    }
    QString error;
    ParseTextTemplate(o.text, o.pieces, error);
    band->objects.push_back(o);
    fillTree(int(band - m_layout.bands.data()), int(band->objects.size()) - 1);
}

void TReportDesigner::Btn_DeleteClick()
{
    ReportBand *band = currentBand();
    const ReportObject *o = currentObject();
    if (!band || !o)
        return;
    band->objects.erase(band->objects.begin() + (o - band->objects.data()));
    fillTree(int(band - m_layout.bands.data()));
    ui->Lab_Error->clear();
    ui->Btn_Save->setEnabled(true);
}

void TReportDesigner::Btn_InsertFieldClick()
{
    const QString name = ui->Combo_Field->currentText();
    if (name.isEmpty() || !currentObject())
        return;
    ui->Ed_Text->insert(QLatin1Char('[') + name + QLatin1Char(']'));
    applyFields();
}

void TReportDesigner::chooseColour(QLineEdit *edit)
{
    QColor initial;
    ReadColour(edit->text(), true, initial);
    const QColor chosen = m_colourDialog(initial.isValid() ? initial : QColor(Qt::black));
    if (!chosen.isValid())
        return;
    edit->setText(ColourText(chosen));
    applyFields();
}

void TReportDesigner::Btn_SaveClick()
{
    try {
        // What is saved must read back as the same layout, before and after it is written.
        const QString text = WriteReportLayout(m_layout);
        if (WriteReportLayout(ParseReportLayout(text, m_layout.fileName)) != text)
            fail(QStringLiteral("Le rapport ne se relit pas tel qu'il a été conçu : il n'a pas été enregistré."));
        const QString folder = QFileInfo(m_path).absolutePath();
        if (!QDir().mkpath(folder))
            fail(QStringLiteral("Le dossier « %1 » ne peut pas être créé : le rapport n'a pas été enregistré.")
                     .arg(QDir::toNativeSeparators(folder)));
        SaveReportLayout(m_layout, m_path);
        QFile written(m_path);
        if (!written.open(QIODevice::ReadOnly) || written.readAll() != text.toUtf8())
            fail(QStringLiteral("Le fichier « %1 » relu ne correspond pas au rapport enregistré.")
                     .arg(QDir::toNativeSeparators(m_path)));
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    accept();
}

void TReportDesigner::Btn_ShippedClick()
{
    const QString aside = m_path + QStringLiteral(".bak");
    const bool userCopy = QFileInfo::exists(m_path);
    QString question = QStringLiteral("Revenir au modèle du rapport livré avec le programme ?");
    if (userCopy)
        question +=
            QStringLiteral("\rVotre modèle est mis de côté sous le nom « %1 ».").arg(QDir::toNativeSeparators(aside));
    if (!m_prompter.confirm(question))
        return;
    try {
        ReportLayout shipped = LoadReportLayout(m_shippedPath);
        if (userCopy) {
            // The user's copy is kept beside, never deleted: only an older copy set aside goes.
            if (QFileInfo::exists(aside) && !QFile::remove(aside))
                fail(QStringLiteral("Le fichier « %1 » ne peut pas être remplacé : rien n'a été changé.")
                         .arg(QDir::toNativeSeparators(aside)));
            if (!QFile::rename(m_path, aside))
                fail(QStringLiteral("Votre modèle « %1 » ne peut pas être mis de côté : rien n'a été changé.")
                         .arg(QDir::toNativeSeparators(m_path)));
        }
        m_layout = std::move(shipped);
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    m_path = m_shippedPath;
    accept();
}

} // namespace vivrelo
