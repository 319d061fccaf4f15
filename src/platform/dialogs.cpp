#include "platform/dialogs.h"

#include "platform/script.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace meru::platform {

namespace {

// Dialog units to pixels (horizontal and vertical factors of the dialog font).
int dlu_x(int v) { return static_cast<int>(std::lround(v * 1.5)); }
int dlu_y(int v) { return static_cast<int>(std::lround(v * 1.625)); }

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ss(const QString& s) { return s.toStdString(); }

// A QDialog whose Esc and close box end the modal with the cancel id.
class ModalDialog : public QDialog {
public:
    std::function<void()> on_reject;
    using QDialog::QDialog;
    void reject() override
    {
        if (on_reject) on_reject();
        QDialog::reject();
    }
};

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

} // namespace

struct Dialog::Impl {
    // While the program sets values, selection changes raise no callbacks.
    struct QuietScope {
        bool& flag;
        bool old;
        explicit QuietScope(bool& f) : flag(f), old(f) { flag = true; }
        ~QuietScope() { flag = old; }
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;
    };

    struct Control {
        const ControlTemplate* t = nullptr;
        QWidget* w = nullptr;
        DialogCallback callback;
        std::vector<QListWidgetItem*> rows; // list box items in the caller's numbering
        QButtonGroup* group = nullptr;      // radio buttons
        std::string icon;
    };

    Dialog* self = nullptr;
    DialogTemplate tpl;
    ModalHost host;
    // Parented to the owner so that it shows over the frame; the owner may delete it first.
    QPointer<ModalDialog> dlg;
    ~Impl() { delete dlg.data(); }
    std::vector<Control> controls;
    int result = kCancelId;
    bool is_closed = false;
    bool quiet = false; // the program is setting values: no callbacks
    std::map<std::string, int> answers;
    bool dismiss_ok = false;

    Control* find(int id)
    {
        for (auto& c : controls)
            if (c.t->id == id) return &c;
        return nullptr;
    }
    const Control* find(int id) const { return const_cast<Impl*>(this)->find(id); }

    void build();
    void fire(Control& c, CallbackKind kind)
    {
        if (!quiet && c.callback) {
            DialogCallback cb = c.callback; // the callback may replace itself
            cb(*self, c.t->id, kind);
        }
    }
    void close(int id)
    {
        result = id;
        is_closed = true;
        if (dlg->isVisible()) dlg->done(QDialog::Accepted);
    }

    static std::vector<int> selected(const Control& c)
    {
        std::vector<int> out;
        for (size_t i = 0; i < c.rows.size(); ++i)
            if (c.rows[i]->isSelected()) out.push_back(static_cast<int>(i) + 1);
        return out;
    }
    void resize_list(Control& c, int n)
    {
        auto* lw = static_cast<QListWidget*>(c.w);
        n = std::max(n, 0);
        while (static_cast<int>(c.rows.size()) > n) {
            delete c.rows.back();
            c.rows.pop_back();
        }
        while (static_cast<int>(c.rows.size()) < n) {
            auto* item = new QListWidgetItem(lw);
            c.rows.push_back(item);
        }
    }
    void select_only(Control& c, const std::vector<int>& numbers)
    {
        auto* lw = static_cast<QListWidget*>(c.w);
        lw->clearSelection();
        for (int k : numbers)
            if (k >= 1 && k <= static_cast<int>(c.rows.size())) c.rows[k - 1]->setSelected(true);
        if (!numbers.empty() && numbers.front() >= 1 && numbers.front() <= static_cast<int>(c.rows.size()))
            lw->setCurrentItem(c.rows[numbers.front() - 1], QItemSelectionModel::NoUpdate);
    }
};

void Dialog::Impl::build()
{
    dlg = new ModalDialog(host.owner);
    dlg->on_reject = [this] {
        result = kCancelId;
        is_closed = true;
    };
    dlg->setWindowTitle(qs(tpl.caption));
    dlg->setFixedSize(dlu_x(tpl.width), dlu_y(tpl.height));
    dlg->setModal(true);

    std::map<const ControlTemplate*, QButtonGroup*> groups;
    QButtonGroup* radio_group = nullptr;
    for (const auto& t : tpl.controls) {
        Control c;
        c.t = &t;
        QRect r(dlu_x(t.x), dlu_y(t.y), dlu_x(t.width), dlu_y(t.height));
        switch (t.kind) {
        case ControlKind::Button: {
            auto* b = new QPushButton(qs(t.text), dlg.data());
            b->setAutoDefault(false);
            b->setDefault(t.has_style("default"));
            c.w = b;
            break;
        }
        case ControlKind::Static: {
            auto* l = new QLabel(qs(t.text), dlg.data());
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            c.w = l;
            break;
        }
        case ControlKind::Edit:
            if (t.has_style("multiline")) c.w = new QPlainTextEdit(qs(t.text), dlg.data());
            else c.w = new QLineEdit(qs(t.text), dlg.data());
            if (t.has_style("readonly")) {
                if (auto* le = qobject_cast<QLineEdit*>(c.w)) le->setReadOnly(true);
                else static_cast<QPlainTextEdit*>(c.w)->setReadOnly(true);
            }
            break;
        case ControlKind::Check: c.w = new QCheckBox(qs(t.text), dlg.data()); break;
        case ControlKind::Radio: {
            auto* rb = new QRadioButton(qs(t.text), dlg.data());
            if (!radio_group || t.has_style("group")) {
                radio_group = new QButtonGroup(dlg.data());
                radio_group->setExclusive(true);
            }
            radio_group->addButton(rb);
            c.group = radio_group;
            c.w = rb;
            break;
        }
        case ControlKind::List: {
            auto* lw = new QListWidget(dlg.data());
            lw->setSelectionMode(t.has_style("multi")      ? QAbstractItemView::MultiSelection
                                 : t.has_style("extended") ? QAbstractItemView::ExtendedSelection
                                                           : QAbstractItemView::SingleSelection);
            c.w = lw;
            break;
        }
        case ControlKind::Combo: {
            auto* cb = new QComboBox(dlg.data());
            cb->setEditable(t.has_style("edit"));
            if (cb->isEditable()) cb->setInsertPolicy(QComboBox::NoInsert);
            cb->setEditText(qs(t.text));
            c.w = cb;
            break;
        }
        case ControlKind::ScrollBar: {
            bool vertical = t.has_style("vertical") || (!t.has_style("horizontal") && t.height > t.width);
            auto* sb = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, dlg.data());
            sb->setRange(1, 100);
            c.w = sb;
            break;
        }
        case ControlKind::Group: c.w = new QGroupBox(qs(t.text), dlg.data()); break;
        case ControlKind::Icon: {
            auto* l = new QLabel(dlg.data());
            c.icon = t.text;
            l->setPixmap(icon_pixmap(t.text, r.width(), r.height()));
            c.w = l;
            break;
        }
        }
        c.w->setGeometry(r);
        if (t.kind == ControlKind::Group) c.w->lower();
        controls.push_back(std::move(c));
    }

    // Signals are connected once every control exists (the vector no longer moves).
    for (size_t i = 0; i < controls.size(); ++i) {
        Control* c = &controls[i];
        switch (c->t->kind) {
        case ControlKind::Button:
            QObject::connect(static_cast<QPushButton*>(c->w), &QPushButton::clicked, dlg.data(),
                             [this, c] { self->press(c->t->id); });
            break;
        case ControlKind::Check:
        case ControlKind::Radio:
            QObject::connect(static_cast<QAbstractButton*>(c->w), &QAbstractButton::clicked, dlg.data(),
                             [this, c] { fire(*c, CallbackKind::Clicked); });
            break;
        case ControlKind::List:
            QObject::connect(static_cast<QListWidget*>(c->w), &QListWidget::itemSelectionChanged, dlg.data(),
                             [this, c] { fire(*c, CallbackKind::SelectionChanged); });
            break;
        case ControlKind::Combo:
            QObject::connect(static_cast<QComboBox*>(c->w), &QComboBox::currentIndexChanged, dlg.data(),
                             [this, c] { fire(*c, CallbackKind::SelectionChanged); });
            break;
        default: break;
        }
    }
}

DialogLibrary load_program_dialogs(std::vector<std::string>& errors)
{
    return load_dialog_folder((QCoreApplication::applicationDirPath() + "/dialogs").toStdString(), errors);
}

std::unique_ptr<Dialog> Dialog::load(const DialogLibrary& library, int id, ModalHost host)
{
    const DialogTemplate* t = library.find(id);
    if (!t) return nullptr;
    return std::make_unique<Dialog>(*t, host);
}

Dialog::Dialog(const DialogTemplate& tpl, ModalHost host) : impl_(std::make_unique<Impl>())
{
    impl_->self = this;
    impl_->tpl = tpl;
    impl_->host = host;
    impl_->build();
}

Dialog::~Dialog() = default;

int Dialog::id() const { return impl_->tpl.id; }
const DialogTemplate& Dialog::layout() const { return impl_->tpl; }
std::string Dialog::caption() const { return ss(impl_->dlg->windowTitle()); }
bool Dialog::has_control(int control) const { return impl_->find(control) != nullptr; }
QDialog* Dialog::widget() const { return impl_->dlg.data(); }

QWidget* Dialog::control_widget(int control) const
{
    const auto* c = impl_->find(control);
    return c ? c->w : nullptr;
}

bool Dialog::set_text(int control, std::string_view text, int index)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    Impl::QuietScope quiet(impl_->quiet);
    QString t = qs(text);
    switch (c->t->kind) {
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Radio:
        if (index != 0) return false;
        static_cast<QAbstractButton*>(c->w)->setText(t);
        return true;
    case ControlKind::Static:
        if (index != 0) return false;
        static_cast<QLabel*>(c->w)->setText(t);
        return true;
    case ControlKind::Group:
        if (index != 0) return false;
        static_cast<QGroupBox*>(c->w)->setTitle(t);
        return true;
    case ControlKind::Edit:
        if (index != 0) return false;
        if (auto* le = qobject_cast<QLineEdit*>(c->w)) le->setText(t);
        else static_cast<QPlainTextEdit*>(c->w)->setPlainText(t);
        return true;
    case ControlKind::Icon: {
        if (index != 0) return false;
        c->icon = std::string(text);
        static_cast<QLabel*>(c->w)->setPixmap(icon_pixmap(c->icon, c->w->width(), c->w->height()));
        return true;
    }
    case ControlKind::List:
        if (index < 1) return false;
        if (index > static_cast<int>(c->rows.size())) impl_->resize_list(*c, index);
        c->rows[index - 1]->setText(t);
        return true;
    case ControlKind::Combo: {
        auto* cb = static_cast<QComboBox*>(c->w);
        if (index == 0 || index == kCurrentText) {
            if (cb->isEditable()) {
                cb->setEditText(t);
                return true;
            }
            int k = cb->findText(t);
            if (k < 0) return false;
            cb->setCurrentIndex(k);
            return true;
        }
        if (index < 1) return false;
        while (cb->count() < index) cb->addItem(QString());
        cb->setItemText(index - 1, t);
        return true;
    }
    case ControlKind::ScrollBar: return false;
    }
    return false;
}

bool Dialog::get_text(int control, std::string& out, int index) const
{
    const auto* c = impl_->find(control);
    if (!c) return false;
    switch (c->t->kind) {
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Radio:
        if (index != 0) return false;
        out = ss(static_cast<QAbstractButton*>(c->w)->text());
        return true;
    case ControlKind::Static:
        if (index != 0) return false;
        out = ss(static_cast<QLabel*>(c->w)->text());
        return true;
    case ControlKind::Group:
        if (index != 0) return false;
        out = ss(static_cast<QGroupBox*>(c->w)->title());
        return true;
    case ControlKind::Edit:
        if (index != 0) return false;
        if (auto* le = qobject_cast<QLineEdit*>(c->w)) out = ss(le->text());
        else out = ss(static_cast<QPlainTextEdit*>(c->w)->toPlainText());
        return true;
    case ControlKind::Icon:
        if (index != 0) return false;
        out = c->icon;
        return true;
    case ControlKind::List: {
        auto* lw = static_cast<QListWidget*>(c->w);
        if (index == kCurrentText) {
            QListWidgetItem* cur = lw->currentItem();
            if (!cur || !cur->isSelected()) {
                auto sel = Impl::selected(*c);
                cur = sel.empty() ? nullptr : c->rows[sel.front() - 1];
            }
            out = cur ? ss(cur->text()) : std::string();
            return true;
        }
        if (index < 1 || index > static_cast<int>(c->rows.size())) return false;
        out = ss(c->rows[index - 1]->text());
        return true;
    }
    case ControlKind::Combo: {
        auto* cb = static_cast<QComboBox*>(c->w);
        if (index == 0 || index == kCurrentText) {
            out = ss(cb->currentText());
            return true;
        }
        if (index < 1 || index > cb->count()) return false;
        out = ss(cb->itemText(index - 1));
        return true;
    }
    case ControlKind::ScrollBar: return false;
    }
    return false;
}

bool Dialog::set_logical(int control, bool value, int index)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    Impl::QuietScope quiet(impl_->quiet);
    bool ok = false;
    switch (c->t->kind) {
    case ControlKind::Check:
        if (index == 0) {
            static_cast<QCheckBox*>(c->w)->setChecked(value);
            ok = true;
        }
        break;
    case ControlKind::Radio:
        if (index == 0) {
            auto* rb = static_cast<QRadioButton*>(c->w);
            // An exclusive group refuses to switch its checked button off; allow it,
            // so that a group may start with no button on.
            c->group->setExclusive(false);
            rb->setChecked(value);
            if (value)
                for (auto* other : c->group->buttons())
                    if (other != rb) other->setChecked(false);
            c->group->setExclusive(true);
            ok = true;
        }
        break;
    case ControlKind::List:
        if (index >= 1 && index <= static_cast<int>(c->rows.size())) {
            auto* lw = static_cast<QListWidget*>(c->w);
            if (value && lw->selectionMode() == QAbstractItemView::SingleSelection) lw->clearSelection();
            c->rows[index - 1]->setSelected(value);
            ok = true;
        }
        break;
    default: break;
    }
    return ok;
}

bool Dialog::get_logical(int control, bool& out, int index) const
{
    const auto* c = impl_->find(control);
    if (!c) return false;
    switch (c->t->kind) {
    case ControlKind::Check:
    case ControlKind::Radio:
        if (index != 0) return false;
        out = static_cast<QAbstractButton*>(c->w)->isChecked();
        return true;
    case ControlKind::List:
        if (index < 1 || index > static_cast<int>(c->rows.size())) return false;
        out = c->rows[index - 1]->isSelected();
        return true;
    default: return false;
    }
}

bool Dialog::set_int(int control, int value, int index)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    Impl::QuietScope quiet(impl_->quiet);
    bool ok = false;
    switch (c->t->kind) {
    case ControlKind::List:
        if (index == kNumItems) {
            impl_->resize_list(*c, value);
            ok = true;
        } else if (index >= 1) {
            // The j-th selected item becomes `value`; 0 ends the selection there.
            auto sel = Impl::selected(*c);
            sel.resize(std::min(sel.size(), static_cast<size_t>(index - 1)));
            if (value >= 1 && value <= static_cast<int>(c->rows.size())) sel.push_back(value);
            else if (value != 0) break;
            auto* lw = static_cast<QListWidget*>(c->w);
            if (lw->selectionMode() == QAbstractItemView::SingleSelection && sel.size() > 1)
                sel.erase(sel.begin(), sel.end() - 1);
            std::sort(sel.begin(), sel.end());
            impl_->select_only(*c, sel);
            ok = true;
        }
        break;
    case ControlKind::Combo: {
        auto* cb = static_cast<QComboBox*>(c->w);
        if (index == kNumItems) {
            while (cb->count() > std::max(value, 0)) cb->removeItem(cb->count() - 1);
            while (cb->count() < value) cb->addItem(QString());
            ok = true;
        } else if ((index == 0 || index == 1) && value >= 0 && value <= cb->count()) {
            cb->setCurrentIndex(value - 1);
            ok = true;
        }
        break;
    }
    case ControlKind::ScrollBar: {
        auto* sb = static_cast<QScrollBar*>(c->w);
        if (index == 0) sb->setValue(value);
        else if (index == kRangeMin) sb->setMinimum(value);
        else if (index == kRangeMax) sb->setMaximum(value);
        else break;
        ok = true;
        break;
    }
    case ControlKind::Edit:
    case ControlKind::Static: return index == 0 && set_text(control, std::to_string(value), 0);
    default: break;
    }
    return ok;
}

bool Dialog::get_int(int control, int& out, int index) const
{
    const auto* c = impl_->find(control);
    if (!c) return false;
    switch (c->t->kind) {
    case ControlKind::List:
        if (index == kNumItems) {
            out = static_cast<int>(c->rows.size());
            return true;
        }
        if (index >= 1) {
            auto sel = Impl::selected(*c);
            out = index <= static_cast<int>(sel.size()) ? sel[index - 1] : 0;
            return true;
        }
        return false;
    case ControlKind::Combo: {
        auto* cb = static_cast<QComboBox*>(c->w);
        if (index == kNumItems) {
            out = cb->count();
            return true;
        }
        if (index == 0 || index >= 1) {
            int cur = cb->currentIndex() + 1;
            out = (index <= 1) ? std::max(cur, 0) : 0;
            return true;
        }
        return false;
    }
    case ControlKind::ScrollBar: {
        auto* sb = static_cast<QScrollBar*>(c->w);
        if (index == 0) out = sb->value();
        else if (index == kRangeMin) out = sb->minimum();
        else if (index == kRangeMax) out = sb->maximum();
        else return false;
        return true;
    }
    case ControlKind::Edit: {
        std::string text;
        if (index != 0 || !get_text(control, text, 0)) return false;
        size_t b = text.find_first_not_of(' ');
        size_t e = text.find_last_not_of(' ');
        if (b == std::string::npos) return false;
        auto [p, ec] = std::from_chars(text.data() + b, text.data() + e + 1, out);
        return ec == std::errc() && p == text.data() + e + 1;
    }
    default: return false;
    }
}

bool Dialog::set_enabled(int control, bool enabled)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    c->w->setEnabled(enabled);
    return true;
}

bool Dialog::is_enabled(int control) const
{
    const auto* c = impl_->find(control);
    return c && c->w->isEnabled();
}

bool Dialog::set_callback(int control, DialogCallback callback)
{
    auto* c = impl_->find(control);
    if (!c) return false;
    switch (c->t->kind) {
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Radio:
    case ControlKind::List:
    case ControlKind::Combo: c->callback = std::move(callback); return true;
    default: return false;
    }
}

bool Dialog::press(int control)
{
    auto* c = impl_->find(control);
    if (!c || c->t->kind != ControlKind::Button || !c->w->isEnabled()) return false;
    if (c->callback) {
        DialogCallback cb = c->callback;
        cb(*this, control, CallbackKind::Clicked);
    } else {
        impl_->close(control);
    }
    return true;
}

int Dialog::run_modal()
{
    impl_->is_closed = false;
    impl_->result = kCancelId;
    for (auto& c : impl_->controls)
        if (c.t->kind == ControlKind::List && c.t->has_style("sort")) static_cast<QListWidget*>(c.w)->sortItems();
    if (impl_->host.script) return impl_->host.script->at_dialog(*this);
    impl_->dlg->exec();
    impl_->is_closed = true;
    return impl_->result;
}

void Dialog::close_with(int control) { impl_->close(control); }
bool Dialog::closed() const { return impl_->is_closed; }

void Dialog::set_answer(std::string word, int control) { impl_->answers[std::move(word)] = control; }

int Dialog::answer_control(std::string_view word) const
{
    auto it = impl_->answers.find(std::string(word));
    return it == impl_->answers.end() ? 0 : it->second;
}

void Dialog::set_dismissable(bool on) { impl_->dismiss_ok = on; }
bool Dialog::dismissable() const { return impl_->dismiss_ok; }

int Dialog::default_button() const
{
    for (const auto& c : impl_->controls)
        if (c.t->kind == ControlKind::Button && c.t->has_style("default")) return c.t->id;
    return 0;
}

std::string Dialog::shown_text() const
{
    std::string out;
    for (const auto& c : impl_->controls) {
        if (c.t->kind != ControlKind::Static) continue;
        std::string t = ss(static_cast<QLabel*>(c.w)->text());
        if (t.empty()) continue;
        if (!out.empty()) out += ' ';
        out += t;
    }
    return out;
}

} // namespace meru::platform

namespace meru::platform {

namespace {

std::string fold(std::string_view s)
{
    std::string out;
    for (char c : s)
        if (c != '&') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t b = out.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = out.find_last_not_of(" \t");
    return out.substr(b, e - b + 1);
}

bool is_field(ControlKind k)
{
    return k == ControlKind::Edit || k == ControlKind::List || k == ControlKind::Combo || k == ControlKind::ScrollBar;
}

bool parse_int(std::string_view s, int& out)
{
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

// Splits "2, 5" or "\"AGE\", SEX" at commas outside quotes; each part trimmed and unquoted.
std::vector<std::string> split_list(std::string_view v)
{
    std::vector<std::string> parts;
    std::string cur;
    bool in_quote = false, any = false;
    auto flush = [&] {
        std::string t = cur;
        size_t b = t.find_first_not_of(' ');
        size_t e = t.find_last_not_of(' ');
        t = b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
        if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
        parts.push_back(t);
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

std::string unquoted(std::string_view v)
{
    std::string s(v);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

std::string rstrip(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

} // namespace

int Dialog::result() const { return impl_->result; }

std::optional<int> Dialog::find_control(std::string_view id_or_label) const
{
    int id = 0;
    if (parse_int(id_or_label, id)) return has_control(id) ? std::optional<int>(id) : std::nullopt;
    std::string want = fold(unquoted(id_or_label));
    const auto& cs = impl_->controls;
    for (size_t i = 0; i < cs.size(); ++i) {
        const auto& c = cs[i];
        std::string label;
        switch (c.t->kind) {
        case ControlKind::Button:
        case ControlKind::Check:
        case ControlKind::Radio: label = ss(static_cast<QAbstractButton*>(c.w)->text()); break;
        case ControlKind::Group: label = ss(static_cast<QGroupBox*>(c.w)->title()); break;
        case ControlKind::Static: label = ss(static_cast<QLabel*>(c.w)->text()); break;
        default: continue;
        }
        if (fold(label) != want) continue;
        if (c.t->kind != ControlKind::Static) return c.t->id;
        if (i + 1 < cs.size() && is_field(cs[i + 1].t->kind)) return cs[i + 1].t->id;
    }
    return std::nullopt;
}

bool Dialog::user_set(int control, std::string_view value, std::string& why)
{
    auto* c = impl_->find(control);
    if (!c) {
        why = "no such control";
        return false;
    }
    if (!c->w->isEnabled()) {
        why = "it is disabled";
        return false;
    }
    std::string v = unquoted(value);
    switch (c->t->kind) {
    case ControlKind::Edit: return set_text(control, v);
    case ControlKind::Check:
    case ControlKind::Radio: {
        std::string f = fold(v);
        bool on = f == "on" || f == "yes" || f == "true" || f == "1";
        bool off = f == "off" || f == "no" || f == "false" || f == "0";
        if (!on && !off) {
            why = "expected on or off";
            return false;
        }
        auto* b = static_cast<QAbstractButton*>(c->w);
        if (b->isChecked() != on) {
            if (on || c->t->kind == ControlKind::Check) b->click();
            else set_logical(control, false);
        }
        return true;
    }
    case ControlKind::List: {
        auto* lw = static_cast<QListWidget*>(c->w);
        std::vector<int> numbers;
        for (const auto& part : split_list(value)) {
            int k = 0;
            if (parse_int(part, k) && k >= 1 && k <= static_cast<int>(c->rows.size())) {
                numbers.push_back(k);
                continue;
            }
            auto it = std::find_if(c->rows.begin(), c->rows.end(),
                                   [&](QListWidgetItem* r) { return rstrip(ss(r->text())) == rstrip(part); });
            if (it == c->rows.end()) {
                why = "no list item \"" + part + "\"";
                return false;
            }
            numbers.push_back(static_cast<int>(it - c->rows.begin()) + 1);
        }
        if (numbers.size() > 1 && lw->selectionMode() == QAbstractItemView::SingleSelection) {
            why = "a single-selection list takes one item";
            return false;
        }
        impl_->select_only(*c, numbers);
        return true;
    }
    case ControlKind::Combo: {
        auto* cb = static_cast<QComboBox*>(c->w);
        int k = 0;
        if (parse_int(v, k) && k >= 1 && k <= cb->count()) {
            cb->setCurrentIndex(k - 1);
            return true;
        }
        int at = cb->findText(QString::fromStdString(v));
        if (at >= 0) {
            cb->setCurrentIndex(at);
            return true;
        }
        if (cb->isEditable()) {
            cb->setEditText(QString::fromStdString(v));
            return true;
        }
        why = "no item \"" + v + "\"";
        return false;
    }
    case ControlKind::ScrollBar: {
        int k = 0;
        if (!parse_int(v, k)) {
            why = "expected a whole number";
            return false;
        }
        static_cast<QScrollBar*>(c->w)->setValue(k);
        return true;
    }
    default: why = "it cannot be set"; return false;
    }
}

} // namespace meru::platform
