#include "XmlScanner.h"

#include "ReadFailure.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace qd::wb {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView localName(QByteArrayView qualified) {
    const qsizetype colon = qualified.indexOf(':');
    return colon < 0 ? qualified : qualified.sliced(colon + 1);
}

// Whether attributes hold a namespace declaration ("xmlns" or "xmlns:p"); most hold no 'x' at all.
bool declaresNamespace(QByteArrayView attrs) {
    const char* p = attrs.data();
    const char* e = p + attrs.size();
    while (e - p >= 5 && (p = static_cast<const char*>(std::memchr(p, 'x', size_t(e - p - 4))))) {
        if (std::memcmp(p, "xmlns", 5) == 0) return true;
        ++p;
    }
    return false;
}

QByteArrayView trimmed(QByteArrayView s) {
    while (!s.isEmpty() && isSpace(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isSpace(s.back()))
        s.chop(1);
    return s;
}

} // namespace

bool parseXmlDouble(QByteArrayView s, double& out) {
    s = trimmed(s);
    if (s.isEmpty()) return false;
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    const auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

bool parseXmlInt(QByteArrayView s, qint64& out) {
    s = trimmed(s);
    if (s.isEmpty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

XmlScanner::XmlScanner(const QByteArray& data, const QString& partName)
    : data_(data), part_(partName), p_(data_.constData()), end_(data_.constData() + data_.size()) {
    counted_ = p_;
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
    stack_.reserve(16);
    names_.reserve(256);
}

XmlScanner::XmlScanner(ZipArchive::EntryStream& source, const QString& partName)
    : source_(&source), part_(partName), p_(nullptr), end_(nullptr) {
    stack_.reserve(16);
    names_.reserve(256);
    while (end_ - p_ < 3 && more()) {
    }
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
}

bool XmlScanner::more() {
    if (!source_ || sourceDone_) return false;
    constexpr qsizetype kWindow = qsizetype(1) << 20;
    const qsizetype tail = end_ - p_;
    const qsizetype room = std::max(kWindow, tail); // a token longer than the window doubles it
    // While views must stay valid the old window is kept and a new one made; otherwise the
    // window before the current one is used again.
    const bool keep = keepDepth_ > 0;
    QByteArray next = keep ? QByteArray() : std::move(spare_);
    next.resize(tail + room);
    if (tail > 0) std::memcpy(next.data(), p_, size_t(tail));
    qsizetype got = 0;
    while (got < room) {
        const qsizetype n = source_->read(next.data() + tail + got, room - got);
        if (n == 0) {
            sourceDone_ = true;
            break;
        }
        got += n;
    }
    if (got == 0) {
        if (!keep) spare_ = std::move(next);
        return false;
    }
    next.resize(tail + got);
    if (p_) {
        line(); // count the lines of the part left behind
        if (keep) {
            kept_.push_back(std::move(data_));
        } else {
            kept_.clear();
            spare_ = std::move(data_);
        }
    }
    data_ = std::move(next);
    p_ = data_.constData();
    end_ = p_ + data_.size();
    counted_ = p_;
    return true;
}

int XmlScanner::line() const {
    if (counted_ && p_ > counted_) {
        // parts hold few line breaks: skipping to each is faster than looking at every byte
        for (const char* q = counted_; (q = static_cast<const char*>(std::memchr(q, '\n', size_t(p_ - q))));
             ++q)
            ++lines_;
        counted_ = p_;
    }
    return lines_ + 1;
}

void XmlScanner::fail(const QString& what) const {
    throwDamaged(QStringLiteral("la parte «%1» no es válida (%2, línea %3)").arg(part_, what).arg(line()));
}

void XmlScanner::push(QByteArrayView qname) {
    names_.append(qname.data(), size_t(qname.size()));
    stack_.push_back(qsizetype(names_.size()));
}

void XmlScanner::setNamespaces(std::initializer_list<const char*> uris) {
    for (const char* u : uris)
        uris_.emplace_back(u);
}

// Declarations are rare (mostly on the root element): only a start element with one comes here.
void XmlScanner::bindNamespaces() {
    const char* q = attrs_.data();
    const char* e = attrs_.data() + attrs_.size();
    while (q < e) {
        while (q < e && isSpace(*q))
            ++q;
        const char* n = q;
        while (q < e && *q != '=' && !isSpace(*q))
            ++q;
        const QByteArrayView qname(n, q - n);
        while (q < e && (isSpace(*q) || *q == '='))
            ++q;
        if (q >= e || (*q != '"' && *q != '\'')) return;
        const char quote = *q++;
        const char* v = q;
        while (q < e && *q != quote)
            ++q;
        if (q >= e) return;
        const QString uri = decode(QByteArrayView(v, q - v));
        ++q;
        if (qname != "xmlns" && !qname.startsWith("xmlns:")) continue;
        int id = uri.isEmpty() ? 0 : -1;
        for (size_t i = 0; i < uris_.size() && !uri.isEmpty(); ++i)
            if (uri == QLatin1StringView(uris_[i])) id = int(i) + 1;
        const QByteArrayView prefix = qname.size() > 5 ? qname.sliced(6) : QByteArrayView();
        bindings_.push_back({std::string(prefix.data(), size_t(prefix.size())), id, depth()});
        if (prefix.isEmpty()) defaultNs_ = id;
    }
}

// A root element in a namespace the reader does not know (as a writer's own variant of the format
// may have) makes that namespace the document's: its elements are not passed over as foreign.
void XmlScanner::adoptRootNamespace(QByteArrayView qname) {
    const qsizetype colon = qname.indexOf(':');
    const QByteArrayView prefix = colon < 0 ? QByteArrayView() : qname.first(colon);
    for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b) {
        if (QByteArrayView(b->prefix.data(), qsizetype(b->prefix.size())) != prefix) continue;
        uris_.emplace_back(); // its name is not needed: only bindings refer to it
        b->ns = int(uris_.size());
        if (prefix.isEmpty()) defaultNs_ = b->ns;
        ns_ = b->ns;
        return;
    }
}

int XmlScanner::resolve(QByteArrayView qname) const {
    const qsizetype colon = qname.indexOf(':');
    if (colon < 0) return defaultNs_;
    const QByteArrayView prefix = qname.first(colon);
    for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b)
        if (QByteArrayView(b->prefix.data(), qsizetype(b->prefix.size())) == prefix) return b->ns;
    return -1; // an undeclared prefix: not a namespace the reader knows
}

XmlScanner::Token XmlScanner::next() {
    auto top = [this] {
        const qsizetype from = stack_.size() > 1 ? stack_[stack_.size() - 2] : 0;
        return QByteArrayView(names_.data() + from, stack_.back() - from);
    };
    // `local` is the local name of the element that ends; its namespace is resolved again, before the
    // declarations it made go out of scope.
    auto pop = [this](QByteArrayView qname, QByteArrayView local) {
        if (!uris_.empty()) {
            ns_ = local.size() == qname.size() ? defaultNs_ : resolve(qname);
            if (ns_ < 0 && stack_.size() == 1) ns_ = rootNs_;
            bool defaultChanged = false;
            while (!bindings_.empty() && bindings_.back().depth >= depth()) {
                defaultChanged |= bindings_.back().prefix.empty();
                bindings_.pop_back();
            }
            if (defaultChanged) {
                defaultNs_ = 0;
                for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b)
                    if (b->prefix.empty()) {
                        defaultNs_ = b->ns;
                        break;
                    }
            }
        }
        stack_.pop_back();
        names_.resize(size_t(stack_.empty() ? 0 : stack_.back()));
        if (depth() < keepDepth_) keepDepth_ = 0;
    };
    if (pendingEnd_) {
        pendingEnd_ = false;
        const QByteArrayView qname = top();
        name_ = localName(qname);
        pop(qname, name_);
        return token_ = EndElement;
    }
    for (;;) {
        if (p_ >= end_) {
            if (more()) continue;
            if (!stack_.empty()) fail(QStringLiteral("incompleta"));
            return token_ = EndOfDocument;
        }
        if (*p_ != '<') {
            // character data up to the next tag
            const char* lt = static_cast<const char*>(std::memchr(p_, '<', size_t(end_ - p_)));
            if (!lt && more()) continue;
            const char* stop = lt ? lt : end_;
            text_ = QByteArrayView(p_, stop - p_);
            p_ = stop;
            if (stack_.empty()) {
                if (!trimmed(text_).isEmpty()) fail(QStringLiteral("texto fuera del elemento raíz"));
                continue;
            }
            textRefs_ = text_.contains('&');
            return token_ = Text;
        }
        const qsizetype left = end_ - p_;
        if (left < 16 && more()) continue;
        if (left >= 2 && p_[1] == '/') {
            const char* gt = static_cast<const char*>(std::memchr(p_, '>', size_t(left)));
            if (!gt && more()) continue;
            if (!gt) fail(QStringLiteral("incompleta"));
            const QByteArrayView qname = trimmed(QByteArrayView(p_ + 2, gt - p_ - 2));
            if (stack_.empty() || top() != qname)
                fail(QStringLiteral("etiqueta de cierre «%1» inesperada").arg(QString::fromUtf8(qname)));
            name_ = localName(qname);
            pop(qname, name_);
            p_ = gt + 1;
            return token_ = EndElement;
        }
        if (left >= 2 && p_[1] == '?') {
            const QByteArrayView rest(p_, left);
            const qsizetype close = rest.indexOf("?>");
            if (close < 0 && more()) continue;
            if (close < 0) fail(QStringLiteral("incompleta"));
            p_ += close + 2;
            continue;
        }
        if (left >= 2 && p_[1] == '!') {
            const QByteArrayView rest(p_, left);
            if (rest.startsWith("<!--")) {
                const qsizetype close = rest.indexOf("-->", 4);
                if (close < 0 && more()) continue;
                if (close < 0) fail(QStringLiteral("incompleta"));
                p_ += close + 3;
                continue;
            }
            if (rest.startsWith("<![CDATA[")) {
                const qsizetype close = rest.indexOf("]]>", 9);
                if (close < 0 && more()) continue;
                if (close < 0) fail(QStringLiteral("incompleta"));
                if (stack_.empty()) fail(QStringLiteral("texto fuera del elemento raíz"));
                text_ = rest.sliced(9, close - 9);
                textRefs_ = false;
                p_ += close + 3;
                return token_ = Text;
            }
            fail(QStringLiteral("declaración DOCTYPE no permitida"));
        }
        // start tag: name, attributes (quoted values may hold '>'), optional '/'
        const char* q = p_ + 1;
        const char* nameStart = q;
        while (q < end_ && !isSpace(*q) && *q != '>' && *q != '/')
            ++q;
        if (q >= end_ && more()) continue;
        if (q == nameStart || q >= end_) fail(QStringLiteral("etiqueta no válida"));
        const QByteArrayView qname(nameStart, q - nameStart);
        const char* attrStart = q;
        char quote = 0;
        while (q < end_) {
            const char c = *q;
            if (quote) {
                if (c == quote)
                    quote = 0;
                else if (c == '<')
                    fail(QStringLiteral("«<» dentro de un atributo"));
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
            ++q;
        }
        if (q >= end_ && more()) continue;
        if (q >= end_) fail(QStringLiteral("incompleta"));
        const bool selfClosing = q > attrStart && q[-1] == '/';
        attrs_ = QByteArrayView(attrStart, (selfClosing ? q - 1 : q) - attrStart);
        p_ = q + 1;
        if (int(stack_.size()) >= kMaxDepth) fail(QStringLiteral("anidamiento excesivo"));
        push(qname);
        name_ = localName(qname);
        if (!uris_.empty()) {
            if (declaresNamespace(attrs_)) bindNamespaces();
            ns_ = name_.size() == qname.size() ? defaultNs_ : resolve(qname);
            if (stack_.size() == 1) {
                if (ns_ < 0) adoptRootNamespace(qname);
                rootNs_ = ns_;
            }
        }
        pendingEnd_ = selfClosing;
        return token_ = StartElement;
    }
}

QByteArrayView XmlScanner::rawAttribute(QByteArrayView wanted) const {
    QByteArrayView out;
    rawAttributes(&wanted, &out, 1);
    return out;
}

bool XmlScanner::nextAttribute(const char*& q, QByteArrayView& qname, QByteArrayView& value) const {
    const char* e = attrs_.data() + attrs_.size();
    while (q < e) {
        while (q < e && isSpace(*q))
            ++q;
        const char* name = q;
        while (q < e && *q != '=' && !isSpace(*q))
            ++q;
        qname = QByteArrayView(name, q - name);
        while (q < e && isSpace(*q))
            ++q;
        if (q >= e || *q != '=') return false;
        ++q;
        while (q < e && isSpace(*q))
            ++q;
        if (q >= e || (*q != '"' && *q != '\'')) return false;
        const char quote = *q++;
        const char* v = q;
        while (q < e && *q != quote)
            ++q;
        if (q >= e) return false;
        value = QByteArrayView(v, q - v);
        if (value.isNull()) value = QByteArrayView("", 0);
        ++q;
        if (!qname.startsWith("xmlns")) return true;
    }
    return false;
}

void XmlScanner::rawAttributes(const QByteArrayView* wanted, QByteArrayView* out, size_t n) const {
    for (size_t i = 0; i < n; ++i)
        out[i] = QByteArrayView();
    size_t found = 0;
    const char* q = attrs_.data();
    QByteArrayView qname, value;
    while (found < n && nextAttribute(q, qname, value)) {
        const QByteArrayView local = localName(qname);
        for (size_t i = 0; i < n; ++i) {
            // the first of repeated attributes counts, as it always has
            if (out[i].isNull() && local == wanted[i]) {
                out[i] = value;
                ++found;
            }
        }
    }
}

QString XmlScanner::attribute(QByteArrayView name) const {
    return decode(rawAttribute(name));
}

namespace {
// "\r\n" and a lone "\r" read as "\n", as XML reads line ends.
QByteArray normalisedLineEnds(QByteArrayView raw) {
    QByteArray normal;
    normal.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\r') {
            normal += c;
        } else {
            normal += '\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
        }
    }
    return normal;
}
} // namespace

QString XmlScanner::plainText(QByteArrayView raw) {
    return raw.contains('\r') ? QString::fromUtf8(normalisedLineEnds(raw)) : QString::fromUtf8(raw);
}

// Line ends are normalised before references are decoded: a carriage return written as a reference
// stays.
QString XmlScanner::text() const {
    if (!textRefs_) return plainText(text_);
    if (!text_.contains('\r')) return decode(text_);
    const QByteArray normal = normalisedLineEnds(text_);
    return decode(normal);
}

QString XmlScanner::decode(QByteArrayView raw) const {
    if (!raw.contains('&')) return QString::fromUtf8(raw);
    QByteArray out;
    out.reserve(raw.size());
    qsizetype i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c != '&') {
            out += c;
            ++i;
            continue;
        }
        const qsizetype semi = raw.indexOf(';', i);
        if (semi < 0 || semi - i > 12) fail(QStringLiteral("referencia a entidad no válida"));
        const QByteArrayView ref = raw.sliced(i + 1, semi - i - 1);
        if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "amp")
            out += '&';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (ref.startsWith('#')) {
            uint code = 0;
            bool ok = false;
            if (ref.startsWith("#x"))
                code = ref.sliced(2).toByteArray().toUInt(&ok, 16);
            else
                code = ref.sliced(1).toByteArray().toUInt(&ok, 10);
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                fail(QStringLiteral("referencia de carácter no válida"));
            const char32_t ch = char32_t(code);
            out += QString::fromUcs4(&ch, 1).toUtf8();
        } else {
            fail(QStringLiteral("referencia a entidad no permitida"));
        }
        i = semi + 1;
    }
    return QString::fromUtf8(out);
}

QString XmlScanner::elementText() {
    QString s;
    const int level = depth();
    while (next() != EndOfDocument) {
        if (token_ == Text)
            s += text();
        else if (token_ == EndElement && depth() < level)
            return s;
    }
    fail(QStringLiteral("incompleta"));
}

void XmlScanner::skipElement() {
    const int level = depth();
    while (next() != EndOfDocument) {
        if (token_ == EndElement && depth() < level) return;
    }
    fail(QStringLiteral("incompleta"));
}

} // namespace qd::wb
