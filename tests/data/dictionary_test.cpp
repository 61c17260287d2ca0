#include "data/dictionary.h"

#include <gtest/gtest.h>

#include <set>

namespace hk::data {
namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST(Dictionary, RecordLengthsAreTheProgramsOwn) {
    const struct {
        Layout layout;
        std::uint32_t length;
    } cases[] = {
        {Layout::HsPlan, 798},    {Layout::FisBas, 91},     {Layout::FisDet, 380},   {Layout::Yasal, 3059},
        {Layout::Doviz, 33},      {Layout::DDoviz, 15},     {Layout::FisAck, 35},    {Layout::Nitelik, 23},
        {Layout::CsPlan, 68},     {Layout::BelgeTip, 40},   {Layout::Version, 6},    {Layout::XHsp, 270},
        {Layout::XKebir, 51},     {Layout::Tmp, 380},       {Layout::DataList, 60},  {Layout::Akt, 1253},
        {Layout::Ede, 64000},     {Layout::Upl, 10000},     {Layout::Rapor, 1064},   {Layout::DRapor, 1452},
        {Layout::Tablo, 293},     {Layout::DTablo, 1075},   {Layout::ORapor, 566},   {Layout::DORapor, 819},
        {Layout::Muhtasar, 12699}, {Layout::Kdv, 13126},    {Layout::BDipNot, 64000}, {Layout::KDipNot, 64000},
        {Layout::KLGrups, 38},    {Layout::KLGUsers, 48},  {Layout::KLDGrups, 71},
        {Layout::KLDUsers, 81},   {Layout::MenuList, 58},   {Layout::FisDetA, 133},  {Layout::FisDetB, 248},
        {Layout::FisBasOld, 53},  {Layout::YasalOld, 2919},
        {Layout::KLUsers, 61 + 128},  // the program's own user record, then the password hash
    };
    EXPECT_EQ(std::size(cases), allLayouts().size()) << "a layout without a length check";
    for (const auto& c : cases)
        EXPECT_EQ(fileDef(c.layout).recordLength, c.length) << fileDef(c.layout).layoutName;
}

TEST(Dictionary, OffsetsOfSampleFieldsAreTheProgramsOwn) {
    const struct {
        Layout layout;
        const char* field;
        std::uint32_t offset;
    } cases[] = {
        {Layout::HsPlan, "TLBORC", 174},          {Layout::HsPlan, "KPDOVIZALACAK", 790},
        {Layout::FisBas, "KSAATI", 87},           {Layout::FisDet, "ACKNO", 143},
        {Layout::FisDet, "BELGETARIHI", 288},     {Layout::Yasal, "TEDIYENUMARATOR", 1474},
        {Layout::Yasal, "YEVMIYE", 2698},         {Layout::Yasal, "SONYEVMIYEALACAK", 2720},
        {Layout::Yasal, "KEBIR", 2728},           {Layout::Yasal, "IMZAADSOYAD", 2824},
        {Layout::Yasal, "MERSISNO", 2939},        {Layout::Yasal, "EDEFTER", 3058},
        {Layout::DDoviz, "DOVIZKURTUTARI", 7},    {Layout::XHsp, "BKDOVIZALACAK", 262},
        {Layout::DRapor, "FORMUL", 686},          {Layout::DTablo, "BOSLUK", 1073},
        {Layout::Muhtasar, "TI17A", 7244},        {Layout::Muhtasar, "TIII4F", 12691},
        {Layout::Kdv, "TIII54O", 11108},          {Layout::Kdv, "RTIII64", 13125},
        {Layout::KLDUsers, "SIL", 80},            {Layout::KLUsers, "MASTERUSER", 60},            {Layout::Akt, "REC", 3},
        {Layout::FisDetA, "BORCALACAK", 132},     {Layout::FisDetA, "FISTRH", 113},
        {Layout::FisDetB, "HESAPADI2", 198},      {Layout::YasalOld, "TAHSILTEDIYEOTOMATIKKAPA", 2918},
    };
    for (const auto& c : cases) {
        const FileDef& d = fileDef(c.layout);
        const auto f = d.field(c.field);
        ASSERT_TRUE(f) << d.layoutName << ":" << c.field;
        EXPECT_EQ(d.fields[*f].offset, c.offset) << d.layoutName << ":" << c.field;
    }
    const FileDef& y = fileDef(Layout::Yasal);
    EXPECT_EQ(y.fields[*y.field("YEVMIYE")].type, FieldType::GROUP);
    EXPECT_EQ(y.fields[*y.field("YEVMIYE")].size, 30u);  // REAL + SHORT + DATE + REAL + REAL
    EXPECT_EQ(y.fields[*y.field("MAHSUPNUMARATOR")].count, 366u);
}

TEST(Dictionary, NamesAreUniqueAndKeyColumnsDoNotCollideWithFields) {
    for (const FileDef& d : allLayouts()) {
        std::set<std::string> names;
        for (const FieldDef& f : d.fields) EXPECT_TRUE(names.insert(upper(f.name)).second) << d.layoutName << " " << f.name;
        for (const KeyDef& k : d.keys) {
            const std::string col = upper(k.name.substr(k.name.find(':') + 1));
            EXPECT_TRUE(names.insert(col).second) << d.layoutName << " " << k.name;
            EXPECT_FALSE(k.parts.empty());
        }
    }
}

TEST(Dictionary, KeysCarryTheirAttributes) {
    const FileDef& dd = fileDef(Layout::DDoviz);
    ASSERT_EQ(dd.keys.size(), 1u);
    const KeyDef& k = dd.keys[0];
    EXPECT_EQ(k.name, "DDO:KyDoviz");
    ASSERT_EQ(k.parts.size(), 2u);
    EXPECT_FALSE(k.parts[0].descending);
    EXPECT_TRUE(k.parts[1].descending);
    EXPECT_EQ(dd.fields[k.parts[1].field].name, "DOVIZKURTARIHI");
    EXPECT_TRUE(k.unique && k.caseInsensitive && k.optional && !k.primary);

    const FileDef& fb = fileDef(Layout::FisBas);
    const KeyDef& muavin = fb.keys[*fb.key("MFB:KeyMuavin")];
    EXPECT_FALSE(muavin.optional);
    EXPECT_FALSE(muavin.unique);
    EXPECT_EQ(fb.key("keyfis"), fb.key("MFB:KeyFis"));
    EXPECT_FALSE(fileDef(Layout::BelgeTip).keys[0].caseInsensitive);
    EXPECT_EQ(fileDef(Layout::HsPlan).primaryKey(), fileDef(Layout::HsPlan).key("HSP:KeyHesap"));
    EXPECT_TRUE(fileDef(Layout::Yasal).keys.empty());
}

TEST(Dictionary, FieldLookupAcceptsThePrefix) {
    const FileDef& h = fileDef(Layout::HsPlan);
    EXPECT_EQ(h.field("HSP:HESAPKODU"), h.field("HESAPKODU"));
    EXPECT_EQ(h.field("hsp:HESAPKODU"), h.field("HESAPKODU"));
    EXPECT_FALSE(h.field("MFD:HESAPKODU"));
    EXPECT_FALSE(h.field("YOKBOYLEALAN"));
    EXPECT_EQ(h.label(*h.field("TLBORC")), "HSP:TLBORC");
}

TEST(Dictionary, SignaturesTellLayoutsApart) {
    EXPECT_NE(fileDef(Layout::FisDet).signature(), fileDef(Layout::FisDetB).signature());
    EXPECT_NE(fileDef(Layout::FisDet).signature(), fileDef(Layout::Tmp).signature());  // other keys
    EXPECT_TRUE(fileDef(Layout::FisDet).sameFields(fileDef(Layout::Tmp)));
    EXPECT_FALSE(fileDef(Layout::FisDet).sameFields(fileDef(Layout::FisDetB)));
    EXPECT_EQ(currentLayout("fisdet"), &fileDef(Layout::FisDet));
    EXPECT_EQ(currentLayout("Yasal"), &fileDef(Layout::Yasal));
}

TEST(Dictionary, RelationsAreDeclared) {
    int cascadeDelete = 0, refuse = 0, none = 0;
    for (const RelationDef& r : relations()) {
        const FileDef& c = fileDef(r.child);
        EXPECT_TRUE(c.key(r.childKey)) << r.childKey;
        for (const auto& [pf, cf] : r.links) {
            EXPECT_TRUE(fileDef(r.parent).field(pf));
            EXPECT_TRUE(c.field(cf));
        }
        cascadeDelete += r.onDelete == OnDelete::Cascade;
        refuse += r.onDelete == OnDelete::Refuse;
        none += r.onDelete == OnDelete::None;
    }
    EXPECT_EQ(refuse, 2);         // FisBas->FisDet, Doviz->DDoviz
    EXPECT_EQ(cascadeDelete, 3);  // Rapor, ORapor, Tablo
    EXPECT_EQ(none, 3);           // users and groups
}

TEST(Dictionary, CatalogueRowsFollowDeclarationOrder) {
    const auto rows = catalogueFields(Layout::HsPlan);
    ASSERT_EQ(rows.size(), 24u);
    EXPECT_EQ(rows[0].label, "HSP:HESAPKODU");
    EXPECT_EQ(rows[0].type, "STRING");
    EXPECT_EQ(rows[0].size, 18u);
    EXPECT_EQ(rows[12].label, "HSP:TLBORC");
    EXPECT_EQ(rows[12].type, "REAL");
    EXPECT_EQ(rows[12].size, 8u);
    EXPECT_TRUE(rows[12].isArray);
    EXPECT_EQ(rows[23].label, "HSP:KPDOVIZALACAK");
    // groups are not catalogued
    for (const auto& r : catalogueFields(Layout::Yasal)) EXPECT_NE(r.type, "GROUP");
}

} // namespace
} // namespace hk::data
