#pragma once
// Declarative form binding: each field of a form is declared once, as its widget and the record
// member (or array element) it edits; showing a record and reading the widgets back into one
// both follow from that one list, so a field cannot be shown and then forgotten when saving.
//
//     FormBinding<Yasal> b;
//     b.text(unvan, &Yasal::SIRKETUNVANI1);
//     b.date(donemBas, "Mali Dönem Başlangıç Tarihi", &Yasal::MALIDONEMBAS);
//     b.whole(oran, "KDV oranı", element(&Yasal::ODENECEKKDVORAN, 1));
//     b.show(rec);  auto edited = b.take(rec);
//     app::company::save(file, edited.value(), b.copier());   // writes only what the form edits
//
// A widget only reads what it shows (a date that is a date, a whole number that fits its
// field); what values the business allows is the rule module's to check, once.

#include "core/date.h"
#include "core/result.h"
#include "ui/framework/fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

namespace hk::ui {

// An accessor of element i (1-based) of an array member, usable wherever a member is expected.
template <typename R, typename T, std::size_t N> auto element(std::array<T, N> R::*m, int i) {
    return [m, i](R& r) -> T& { return (r.*m)[static_cast<std::size_t>(i - 1)]; };
}

template <typename R> class FormBinding {
  public:
    // A field the declarations below do not cover (a pair of radio buttons, a list index):
    // how it is shown, read back, and which members it edits (copied by `copyEdited`).
    void add(std::function<void(const R&)> show, std::function<core::Status(R&)> take,
             std::function<void(const R& from, R& to)> copy) {
        fields_.push_back({std::move(show), std::move(take), std::move(copy)});
    }
    // A field that is only shown (the key a form is opened under, a name looked up).
    void showOnly(std::function<void(const R&)> show) {
        add(std::move(show), [](R&) -> core::Status { return {}; }, [](const R&, R&) {});
    }
    // A widget enabled only while `rule` holds for the record shown (a key that cannot change
    // after the record was added, a field of one mode only).
    void enableWhen(QWidget* w, std::function<bool(const R&)> rule) {
        enables_.push_back({w, std::move(rule)});
    }

    template <typename M> void text(PictureEdit* e, M member) {
        bound(member, [e, member](const R& r) { e->setTextValue(at(r, member)); },
              [e, member](R& r) -> core::Status {
                  at(r, member) = e->textValue();
                  return {};
              });
    }
    // A pattern field ("P(###)-#######PB"): the digits typed into its # positions.
    template <typename M> void digits(PictureEdit* e, M member) {
        bound(member, [e, member](const R& r) { e->setDigits(at(r, member)); },
              [e, member](R& r) -> core::Status {
                  at(r, member) = e->digits();
                  return {};
              });
    }
    template <typename M> void date(PictureEdit* e, std::string label, M member) {
        bound(member, [e, member](const R& r) { e->setDate(at(r, member)); },
              [e, member, label](R& r) -> core::Status {
                  auto d = e->date();
                  if (!d) return core::Error::badInput(label + ": " + d.error().text);
                  at(r, member) = d.value();
                  return {};
              });
    }
    template <typename M> void number(PictureEdit* e, std::string label, M member) {
        bound(member, [e, member](const R& r) { e->setNumber(static_cast<double>(at(r, member))); },
              [e, member, label](R& r) -> core::Status {
                  auto v = e->number();
                  if (!v) return core::Error::badInput(label + ": " + v.error().text);
                  at(r, member) = v.value();
                  return {};
              });
    }
    // A whole number that must fit the member's type (SHORT, LONG); its allowed range beyond
    // that is the rules' business unless `lo`/`hi` narrow it.
    template <typename M>
    void whole(PictureEdit* e, std::string label, M member,
               long long lo = std::numeric_limits<long long>::min(),
               long long hi = std::numeric_limits<long long>::max()) {
        bound(member, [e, member](const R& r) { e->setNumber(static_cast<double>(at(r, member))); },
              [e, member, label, lo, hi](R& r) -> core::Status {
                  using N = std::remove_reference_t<decltype(at(r, member))>;
                  const long long low = std::max<long long>(lo, std::numeric_limits<N>::min());
                  const long long high = std::min<long long>(hi, std::numeric_limits<N>::max());
                  auto v = e->number();
                  if (!v) return core::Error::badInput(label + ": " + v.error().text);
                  const double d = v.value();
                  if (d != static_cast<double>(static_cast<long long>(d)) ||
                      d < static_cast<double>(low) || d > static_cast<double>(high))
                      return core::Error::badInput(label + " " + std::to_string(low) + " ile " +
                                                   std::to_string(high) +
                                                   " arasında bir tam sayı olmalıdır.");
                  at(r, member) = static_cast<N>(d);
                  return {};
              });
    }
    // A check box over a 1/0 byte.
    template <typename M> void check(QCheckBox* c, M member) {
        bound(member, [c, member](const R& r) { c->setChecked(at(r, member) == 1); },
              [c, member](R& r) -> core::Status {
                  at(r, member) = c->isChecked() ? 1 : 0;
                  return {};
              });
    }
    // An "Evet"/"Hayır" choice over "E"/"H" ("E" shows Evet, anything else Hayır).
    template <typename M> void evetHayir(QComboBox* c, M member) {
        bound(member, [c, member](const R& r) { c->setCurrentIndex(at(r, member) == "E" ? 0 : 1); },
              [c, member](R& r) -> core::Status {
                  at(r, member) = c->currentIndex() == 0 ? "E" : "H";
                  return {};
              });
    }

    void show(const R& r) const {
        for (const auto& f : fields_) f.show(r);
        for (const auto& e : enables_) e.widget->setEnabled(e.rule(r));
    }
    // `r` with every bound field read from its widget; the first field that cannot be read
    // gives its error and nothing is taken.
    core::Result<R> take(R r) const {
        for (const auto& f : fields_)
            if (auto st = f.take(r); !st) return st.error();
        return r;
    }
    // Copies the members the form edits from `from` onto `to`, leaving every other member of
    // `to` as it is: what saving a form over the stored record writes, so members the form does
    // not show (counters another program advances) are never written back from an old copy.
    void copyEdited(const R& from, R& to) const {
        for (const auto& f : fields_) f.copy(from, to);
    }
    // The same as a function, for rule code that does not know the form (it must not outlive
    // the binding).
    std::function<void(const R&, R&)> copier() const {
        return [this](const R& from, R& to) { copyEdited(from, to); };
    }
    std::size_t size() const { return fields_.size(); }

  private:
    struct Field {
        std::function<void(const R&)> show;
        std::function<core::Status(R&)> take;
        std::function<void(const R&, R&)> copy;
    };
    struct Enable {
        QWidget* widget;
        std::function<bool(const R&)> rule;
    };
    // A field over one member: its copy follows from the member.
    template <typename M>
    void bound(M member, std::function<void(const R&)> show, std::function<core::Status(R&)> take) {
        add(std::move(show), std::move(take),
            [member](const R& from, R& to) { at(to, member) = at(from, member); });
    }
    // The member a declaration names, as a reference: a pointer to member or an accessor. Shown
    // records are only read through it.
    template <typename M> static decltype(auto) at(R& r, M m) {
        if constexpr (std::is_member_object_pointer_v<M>)
            return (r.*m);
        else
            return m(r);
    }
    template <typename M> static decltype(auto) at(const R& r, M m) {
        return at(const_cast<R&>(r), m);
    }
    std::vector<Field> fields_;
    std::vector<Enable> enables_;
};

} // namespace hk::ui
