#include "platform/dialog_controls.h"

#include "platform/io/strings.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace meru::platform {

bool DialogControl::set_text(std::string_view, int) { return false; }
bool DialogControl::get_text(std::string&, int) const { return false; }
bool DialogControl::set_logical(bool, int) { return false; }
bool DialogControl::get_logical(bool&, int) const { return false; }
bool DialogControl::set_int(int, int) { return false; }
bool DialogControl::get_int(int&, int) const { return false; }
void DialogControl::connect(QObject*, std::function<void(CallbackKind)>) {}

bool DialogControl::user_set(std::string_view, std::string& why)
{
    why = "it cannot be set";
    return false;
}

std::string fold_label(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != '&') out += c;
    return io::trim(io::lower(out), " \t");
}

namespace {

QPixmap icon_pixmap(const std::string& name, int w, int h)
{
    QString base = QFileInfo(qs(name)).completeBaseName().toLower();
    QStyle::StandardPixmap sp = QStyle::SP_MessageBoxInformation;
    if (base == "quest") sp = QStyle::SP_MessageBoxQuestion;
    else if (base == "warn" || base == "exclam") sp = QStyle::SP_MessageBoxWarning;
    QString file = QApplication::applicationDirPath() + "/" + qs(name);
    if (!name.empty() && QFileInfo(file).isFile()) {
        QPixmap p(file);
        if (!p.isNull()) return p.scaled(w, h, Qt::KeepAspectRatio);
    }
    return QApplication::style()->standardIcon(sp).pixmap(std::min(w, h), std::min(w, h));
}

// Splits "2, 5" or "\"AGE\", SEX" at commas outside quotes; each part trimmed and unquoted.
std::vector<std::string> split_list(std::string_view v)
{
    std::vector<std::string> parts;
    std::string cur;
    bool in_quote = false, any = false;
    auto flush = [&] {
        parts.push_back(io::unquote(io::trim(cur)));
        cur.clear();
    };
    for (char c : v) {
        any = true;
        if (c == '"') in_quote = !in_quote;
        if (c == ',' && !in_quote) {
            flush();
            continue;
        }
        cur += c;
    }
    if (any) flush();
    return parts;
}

// A control whose value is one text, shown by its widget (index 0 only).
class TextControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    bool set_text(std::string_view text, int index) override
    {
        if (index != 0) return false;
        show(qs(text));
        return true;
    }
    bool get_text(std::string& out, int index) const override
    {
        if (index != 0) return false;
        out = ss(shown());
        return true;
    }

protected:
    virtual QString shown() const = 0;
    virtual void show(const QString& text) = 0;
};

// A control whose text is one property of its widget `W`, read by `Get` and
// written by `Set`; a script names the control by that text.
template <class W, QString (W::*Get)() const, void (W::*Set)(const QString&)>
class LabelControl : public TextControl {
public:
    using TextControl::TextControl;
    W* w() const { return static_cast<W*>(widget()); }
    std::optional<std::string> label() const override { return ss(shown()); }

protected:
    QString shown() const override { return (w()->*Get)(); }
    void show(const QString& text) override { (w()->*Set)(text); }
};

// Buttons, check boxes and radio buttons: their text, and a click.
class ButtonLike : public LabelControl<QAbstractButton, &QAbstractButton::text, &QAbstractButton::setText> {
public:
    using LabelControl::LabelControl;
    bool takes_callback() const override { return true; }
    void connect(QObject* context, std::function<void(CallbackKind)> report) override
    {
        QObject::connect(w(), &QAbstractButton::clicked, context, [report] { report(CallbackKind::Clicked); });
    }
};

class ButtonControl : public ButtonLike {
public:
    ButtonControl(const ControlTemplate& t, QWidget* parent) : ButtonLike(t, make(t, parent)) {}

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        auto* b = new QPushButton(qs(t.text), parent);
        b->setAutoDefault(false);
        b->setDefault(t.has_style("default"));
        return b;
    }
};

// A check box or a radio button: its state as the logical form; a script sets it
// "on" or "off" (also yes/no, true/false, 1/0).
class CheckLike : public ButtonLike {
public:
    using ButtonLike::ButtonLike;
    bool get_logical(bool& out, int index) const override
    {
        if (index != 0) return false;
        out = w()->isChecked();
        return true;
    }
    bool user_set(std::string_view value, std::string& why) override
    {
        const std::string f = fold_label(io::unquote(value));
        const bool on = f == "on" || f == "yes" || f == "true" || f == "1";
        const bool off = f == "off" || f == "no" || f == "false" || f == "0";
        if (!on && !off) {
            why = "expected on or off";
            return false;
        }
        if (w()->isChecked() != on) switch_to(on);
        return true;
    }

private:
    // Turns the control to `on` as the user would.
    virtual void switch_to(bool on) = 0;
};

class CheckControl : public CheckLike {
public:
    CheckControl(const ControlTemplate& t, QWidget* parent) : CheckLike(t, new QCheckBox(qs(t.text), parent)) {}
    bool set_logical(bool value, int index) override
    {
        if (index != 0) return false;
        w()->setChecked(value);
        return true;
    }

private:
    void switch_to(bool) override { w()->click(); }
};

class RadioControl : public CheckLike {
public:
    RadioControl(const ControlTemplate& t, QWidget* parent, QButtonGroup*& group)
        : CheckLike(t, new QRadioButton(qs(t.text), parent))
    {
        if (!group || t.has_style("group")) {
            group = new QButtonGroup(parent);
            group->setExclusive(true);
        }
        group->addButton(w());
        group_ = group;
    }
    bool set_logical(bool value, int index) override
    {
        if (index != 0) return false;
        // An exclusive group refuses to switch its checked button off; allow it,
        // so that a group may start with no button on.
        group_->setExclusive(false);
        w()->setChecked(value);
        if (value)
            for (auto* other : group_->buttons())
                if (other != w()) other->setChecked(false);
        group_->setExclusive(true);
        return true;
    }

private:
    // A click turns a radio button on; only the program turns it off.
    void switch_to(bool on) override
    {
        if (on) w()->click();
        else set_logical(false, 0);
    }
    QButtonGroup* group_ = nullptr;
};

class StaticControl : public LabelControl<QLabel, &QLabel::text, &QLabel::setText> {
public:
    StaticControl(const ControlTemplate& t, QWidget* parent) : LabelControl(t, make(t, parent)) {}
    bool set_int(int value, int index) override { return index == 0 && set_text(std::to_string(value), 0); }

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        auto* l = new QLabel(qs(t.text), parent);
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    }
};

class GroupControl : public LabelControl<QGroupBox, &QGroupBox::title, &QGroupBox::setTitle> {
public:
    GroupControl(const ControlTemplate& t, QWidget* parent) : LabelControl(t, new QGroupBox(qs(t.text), parent)) {}
};

// An edit box: one line, or several with the "multiline" style.
class EditControl : public TextControl {
public:
    EditControl(const ControlTemplate& t, QWidget* parent) : TextControl(t, make(t, parent)) {}
    bool set_int(int value, int index) override { return index == 0 && set_text(std::to_string(value), 0); }
    // The text as a whole number, blanks around it allowed.
    bool get_int(int& out, int index) const override
    {
        std::string text;
        if (index != 0 || !get_text(text, 0)) return false;
        return io::to_int(io::trim(text), out);
    }
    bool is_field() const override { return true; }
    bool user_set(std::string_view value, std::string&) override { return set_text(io::unquote(value), 0); }

protected:
    QString shown() const override
    {
        if (auto* le = qobject_cast<QLineEdit*>(widget())) return le->text();
        return static_cast<QPlainTextEdit*>(widget())->toPlainText();
    }
    void show(const QString& text) override
    {
        if (auto* le = qobject_cast<QLineEdit*>(widget())) le->setText(text);
        else static_cast<QPlainTextEdit*>(widget())->setPlainText(text);
    }

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        QWidget* w = nullptr;
        if (t.has_style("multiline")) w = new QPlainTextEdit(qs(t.text), parent);
        else w = new QLineEdit(qs(t.text), parent);
        if (t.has_style("readonly")) {
            if (auto* le = qobject_cast<QLineEdit*>(w)) le->setReadOnly(true);
            else static_cast<QPlainTextEdit*>(w)->setReadOnly(true);
        }
        return w;
    }
};

// A list box. Its items are numbered in the order the caller set them, also when
// the list shows them sorted.
class ListControl : public DialogControl {
public:
    ListControl(const ControlTemplate& t, QWidget* parent) : DialogControl(t, make(t, parent)) {}

    bool set_text(std::string_view text, int index) override
    {
        if (index < 1) return false;
        if (index > count()) resize(index);
        rows_[index - 1]->setText(qs(text));
        return true;
    }
    bool get_text(std::string& out, int index) const override
    {
        if (index == kCurrentText) {
            QListWidgetItem* cur = w()->currentItem();
            if (!cur || !cur->isSelected()) {
                auto sel = selected();
                cur = sel.empty() ? nullptr : rows_[sel.front() - 1];
            }
            out = cur ? ss(cur->text()) : std::string();
            return true;
        }
        if (index < 1 || index > count()) return false;
        out = ss(rows_[index - 1]->text());
        return true;
    }
    bool set_logical(bool value, int index) override
    {
        if (index < 1 || index > count()) return false;
        if (value && single()) w()->clearSelection();
        rows_[index - 1]->setSelected(value);
        return true;
    }
    bool get_logical(bool& out, int index) const override
    {
        if (index < 1 || index > count()) return false;
        out = rows_[index - 1]->isSelected();
        return true;
    }
    bool set_int(int value, int index) override
    {
        if (index == kNumItems) {
            resize(value);
            return true;
        }
        if (index < 1) return false;
        // The j-th selected item becomes `value`; 0 ends the selection there.
        auto sel = selected();
        sel.resize(std::min(sel.size(), static_cast<size_t>(index - 1)));
        if (value >= 1 && value <= count()) sel.push_back(value);
        else if (value != 0) return false;
        if (single() && sel.size() > 1) sel.erase(sel.begin(), sel.end() - 1);
        std::sort(sel.begin(), sel.end());
        select_only(sel);
        return true;
    }
    bool get_int(int& out, int index) const override
    {
        if (index == kNumItems) {
            out = count();
            return true;
        }
        if (index < 1) return false;
        auto sel = selected();
        out = index <= static_cast<int>(sel.size()) ? sel[index - 1] : 0;
        return true;
    }
    bool takes_callback() const override { return true; }
    void connect(QObject* context, std::function<void(CallbackKind)> report) override
    {
        QObject::connect(w(), &QListWidget::itemSelectionChanged, context,
                         [report] { report(CallbackKind::SelectionChanged); });
    }
    void before_show() override
    {
        if (layout().has_style("sort")) w()->sortItems();
    }
    bool is_field() const override { return true; }
    // Item numbers or item texts (trailing blanks ignored) separated by commas.
    bool user_set(std::string_view value, std::string& why) override
    {
        std::vector<int> numbers;
        for (const auto& part : split_list(value)) {
            int k = 0;
            if (io::to_int(part, k) && k >= 1 && k <= count()) {
                numbers.push_back(k);
                continue;
            }
            auto it = std::find_if(rows_.begin(), rows_.end(),
                                   [&](QListWidgetItem* r) { return io::rtrim(ss(r->text())) == io::rtrim(part); });
            if (it == rows_.end()) {
                why = "no list item \"" + part + "\"";
                return false;
            }
            numbers.push_back(static_cast<int>(it - rows_.begin()) + 1);
        }
        if (numbers.size() > 1 && single()) {
            why = "a single-selection list takes one item";
            return false;
        }
        select_only(numbers);
        return true;
    }

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        auto* lw = new QListWidget(parent);
        lw->setSelectionMode(t.has_style("multi")      ? QAbstractItemView::MultiSelection
                             : t.has_style("extended") ? QAbstractItemView::ExtendedSelection
                                                       : QAbstractItemView::SingleSelection);
        return lw;
    }
    QListWidget* w() const { return static_cast<QListWidget*>(widget()); }
    int count() const { return static_cast<int>(rows_.size()); }
    bool single() const { return w()->selectionMode() == QAbstractItemView::SingleSelection; }
    std::vector<int> selected() const
    {
        std::vector<int> out;
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i]->isSelected()) out.push_back(static_cast<int>(i) + 1);
        return out;
    }
    void resize(int n)
    {
        n = std::max(n, 0);
        while (count() > n) {
            delete rows_.back();
            rows_.pop_back();
        }
        while (count() < n) rows_.push_back(new QListWidgetItem(w()));
    }
    void select_only(const std::vector<int>& numbers)
    {
        w()->clearSelection();
        for (int k : numbers)
            if (k >= 1 && k <= count()) rows_[k - 1]->setSelected(true);
        if (!numbers.empty() && numbers.front() >= 1 && numbers.front() <= count())
            w()->setCurrentItem(rows_[numbers.front() - 1], QItemSelectionModel::NoUpdate);
    }

    std::vector<QListWidgetItem*> rows_; // the items in the caller's numbering
};

// A combo box; with the "edit" style the user may type a text of his own.
class ComboControl : public DialogControl {
public:
    ComboControl(const ControlTemplate& t, QWidget* parent) : DialogControl(t, make(t, parent)) {}

    bool set_text(std::string_view text, int index) override
    {
        const QString t = qs(text);
        if (index == 0 || index == kCurrentText) {
            if (w()->isEditable()) {
                w()->setEditText(t);
                return true;
            }
            int k = w()->findText(t);
            if (k < 0) return false;
            w()->setCurrentIndex(k);
            return true;
        }
        if (index < 1) return false;
        while (w()->count() < index) w()->addItem(QString());
        w()->setItemText(index - 1, t);
        return true;
    }
    bool get_text(std::string& out, int index) const override
    {
        if (index == 0 || index == kCurrentText) {
            out = ss(w()->currentText());
            return true;
        }
        if (index < 1 || index > w()->count()) return false;
        out = ss(w()->itemText(index - 1));
        return true;
    }
    bool set_int(int value, int index) override
    {
        if (index == kNumItems) {
            while (w()->count() > std::max(value, 0)) w()->removeItem(w()->count() - 1);
            while (w()->count() < value) w()->addItem(QString());
            return true;
        }
        if ((index == 0 || index == 1) && value >= 0 && value <= w()->count()) {
            w()->setCurrentIndex(value - 1);
            return true;
        }
        return false;
    }
    bool get_int(int& out, int index) const override
    {
        if (index == kNumItems) {
            out = w()->count();
            return true;
        }
        if (index == 0 || index >= 1) {
            int cur = w()->currentIndex() + 1;
            out = (index <= 1) ? std::max(cur, 0) : 0;
            return true;
        }
        return false;
    }
    bool takes_callback() const override { return true; }
    void connect(QObject* context, std::function<void(CallbackKind)> report) override
    {
        QObject::connect(w(), &QComboBox::currentIndexChanged, context,
                         [report] { report(CallbackKind::SelectionChanged); });
    }
    bool is_field() const override { return true; }
    // An item by number or text, or the typed text of an editable box.
    bool user_set(std::string_view value, std::string& why) override
    {
        const std::string v = io::unquote(value);
        int k = 0;
        if (io::to_int(v, k) && k >= 1 && k <= w()->count()) {
            w()->setCurrentIndex(k - 1);
            return true;
        }
        int at = w()->findText(QString::fromStdString(v));
        if (at >= 0) {
            w()->setCurrentIndex(at);
            return true;
        }
        if (w()->isEditable()) {
            w()->setEditText(QString::fromStdString(v));
            return true;
        }
        why = "no item \"" + v + "\"";
        return false;
    }

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        auto* cb = new QComboBox(parent);
        cb->setEditable(t.has_style("edit"));
        if (cb->isEditable()) cb->setInsertPolicy(QComboBox::NoInsert);
        cb->setEditText(qs(t.text));
        return cb;
    }
    QComboBox* w() const { return static_cast<QComboBox*>(widget()); }
};

// A scroll bar: its position and range in the integer form.
class ScrollBarControl : public DialogControl {
public:
    ScrollBarControl(const ControlTemplate& t, QWidget* parent) : DialogControl(t, make(t, parent)) {}
    bool set_int(int value, int index) override
    {
        if (index == 0) w()->setValue(value);
        else if (index == kRangeMin) w()->setMinimum(value);
        else if (index == kRangeMax) w()->setMaximum(value);
        else return false;
        return true;
    }
    bool get_int(int& out, int index) const override
    {
        if (index == 0) out = w()->value();
        else if (index == kRangeMin) out = w()->minimum();
        else if (index == kRangeMax) out = w()->maximum();
        else return false;
        return true;
    }
    bool is_field() const override { return true; }
    bool user_set(std::string_view value, std::string& why) override
    {
        int k = 0;
        if (!io::to_int(io::unquote(value), k)) {
            why = "expected a whole number";
            return false;
        }
        w()->setValue(k);
        return true;
    }

private:
    static QWidget* make(const ControlTemplate& t, QWidget* parent)
    {
        bool vertical = t.has_style("vertical") || (!t.has_style("horizontal") && t.height > t.width);
        auto* sb = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, parent);
        sb->setRange(1, 100);
        return sb;
    }
    QScrollBar* w() const { return static_cast<QScrollBar*>(widget()); }
};

// An icon: the name of its picture file is its text.
class IconControl : public DialogControl {
public:
    IconControl(const ControlTemplate& t, QWidget* parent, const QRect& geometry)
        : DialogControl(t, new QLabel(parent)), icon_(t.text)
    {
        w()->setPixmap(icon_pixmap(icon_, geometry.width(), geometry.height()));
    }
    bool set_text(std::string_view text, int index) override
    {
        if (index != 0) return false;
        icon_ = std::string(text);
        w()->setPixmap(icon_pixmap(icon_, w()->width(), w()->height()));
        return true;
    }
    bool get_text(std::string& out, int index) const override
    {
        if (index != 0) return false;
        out = icon_;
        return true;
    }

private:
    QLabel* w() const { return static_cast<QLabel*>(widget()); }
    std::string icon_;
};

} // namespace

std::unique_ptr<DialogControl> make_control(const ControlTemplate& t, QWidget* parent, const QRect& geometry,
                                            QButtonGroup*& radio_group)
{
    std::unique_ptr<DialogControl> c;
    switch (t.kind) {
    case ControlKind::Button: c = std::make_unique<ButtonControl>(t, parent); break;
    case ControlKind::Static: c = std::make_unique<StaticControl>(t, parent); break;
    case ControlKind::Edit: c = std::make_unique<EditControl>(t, parent); break;
    case ControlKind::Check: c = std::make_unique<CheckControl>(t, parent); break;
    case ControlKind::Radio: c = std::make_unique<RadioControl>(t, parent, radio_group); break;
    case ControlKind::List: c = std::make_unique<ListControl>(t, parent); break;
    case ControlKind::Combo: c = std::make_unique<ComboControl>(t, parent); break;
    case ControlKind::ScrollBar: c = std::make_unique<ScrollBarControl>(t, parent); break;
    case ControlKind::Group: c = std::make_unique<GroupControl>(t, parent); break;
    case ControlKind::Icon: c = std::make_unique<IconControl>(t, parent, geometry); break;
    }
    c->widget()->setGeometry(geometry);
    if (t.kind == ControlKind::Group) c->widget()->lower();
    return c;
}

} // namespace meru::platform
