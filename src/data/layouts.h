#pragma once
// Record layouts of every data file, declared once. Everything else about a file — its C++
// struct, its binary record image, its SQL table and indexes, its field catalogue rows — is
// generated from these lists (see dictionary.h and records.h).
//
// HK_FIELDS_<Layout>(F, G) lists the fields in record order:
//   F(NAME, TYPE, SIZE, COUNT)  a field; SIZE is the size of one element in bytes (the n of
//                               STRING(n)/CSTRING(n)), COUNT the array length (1 = no array)
//   G(NAME, N)                  a named group over the next N fields; it takes no space itself
// Offsets are not written down: they follow from the sizes, and the tests compare the resulting
// record lengths and offsets with the program's own record layouts.
// HK_KEYS_<Layout>(K) lists the keys: K(NAME, COMPONENTS, PRIMARY, UNIQUE, NOCASE, OPTIONAL),
// COMPONENTS being field names separated by commas, a leading '-' marking a descending one.

// clang-format off

// The master data that the trial-balance work file repeats.
#define HK_FIELDS_HsPlanMaster(F, G) \
  F(HESAPKODU, STRING, 18, 1) \
  F(HESAPAD1, STRING, 50, 1) \
  F(HESAPAD2, STRING, 50, 1) \
  F(NTLK, STRING, 1, 1) \
  F(ALTBIRIM, STRING, 4, 1) \
  F(DOVIZKODU, STRING, 3, 1) \

#define HK_FIELDS_HsPlan(F, G) \
  HK_FIELDS_HsPlanMaster(F, G) \
  F(ACTLBORC, REAL, 8, 1) \
  F(ACTLALACAK, REAL, 8, 1) \
  F(ACALTBIRIMBORC, REAL, 8, 1) \
  F(ACALTBIRIMALACAK, REAL, 8, 1) \
  F(ACDOVIZBORC, REAL, 8, 1) \
  F(ACDOVIZALACAK, REAL, 8, 1) \
  F(TLBORC, REAL, 8, 12) \
  F(TLALACAK, REAL, 8, 12) \
  F(ALTBIRIMBORC, REAL, 8, 12) \
  F(ALTBIRIMALACAK, REAL, 8, 12) \
  F(DOVIZBORC, REAL, 8, 12) \
  F(DOVIZALACAK, REAL, 8, 12) \
  F(KPTLBORC, REAL, 8, 1) \
  F(KPTLALACAK, REAL, 8, 1) \
  F(KPALTBIRIMBORC, REAL, 8, 1) \
  F(KPALTBIRIMALACAK, REAL, 8, 1) \
  F(KPDOVIZBORC, REAL, 8, 1) \
  F(KPDOVIZALACAK, REAL, 8, 1) \

#define HK_KEYS_HsPlan(K) \
  K("HSP:KeyHesap", "HESAPKODU", true, true, true, true) \
  K("HSP:KeyHesapAd", "HESAPAD1", false, false, true, true) \

// Voucher header before the save stamp was added (53 bytes).
#define HK_FIELDS_FisBasOld(F, G) \
  F(KEYSTR, STRING, 10, 1) \
  F(FISTRH, DATE, 4, 1) \
  F(FISNO, SHORT, 2, 1) \
  F(FISTUR, STRING, 6, 1) \
  F(FISNTLK, STRING, 3, 1) \
  F(BTOPLAM, REAL, 8, 1) \
  F(ATOPLAM, REAL, 8, 1) \
  F(YEVMIYENO, LONG, 4, 1) \
  F(KARSITNO, LONG, 4, 1) \
  F(ENTEGRENO, LONG, 4, 1) \

#define HK_FIELDS_FisBas(F, G) \
  HK_FIELDS_FisBasOld(F, G) \
  F(KPERSONEL, STRING, 30, 1) \
  F(KTARIHI, DATE, 4, 1) \
  F(KSAATI, TIME, 4, 1) \

#define HK_KEYS_FisBas(K) \
  K("MFB:KeyFis", "KEYSTR", false, true, true, true) \
  K("MFB:KeyTarih", "FISTRH", false, false, true, true) \
  K("MFB:KeyMuavin", "FISTRH,FISNO", false, false, true, false) \

// Voucher line before the document fields and the save stamp were added (248 bytes).
#define HK_FIELDS_FisDetB(F, G) \
  F(KEYSTR, STRING, 10, 1) \
  F(FISSIRANO, SHORT, 2, 1) \
  F(HESAPKODU, STRING, 18, 1) \
  F(FISACK, STRING, 50, 1) \
  F(TLBORC, REAL, 8, 1) \
  F(TLALACAK, REAL, 8, 1) \
  F(ALTBIRIMBORC, REAL, 8, 1) \
  F(ALTBIRIMALACAK, REAL, 8, 1) \
  F(DOVIZBORC, REAL, 8, 1) \
  F(DOVIZALACAK, REAL, 8, 1) \
  F(FISTRH, DATE, 4, 1) \
  F(FISNO, SHORT, 2, 1) \
  F(FISTUR, STRING, 6, 1) \
  F(FISNTLK, STRING, 3, 1) \
  F(ACKNO, LONG, 4, 1) \
  F(BORCALACAK, STRING, 1, 1) \
  F(HESAPADI1, STRING, 50, 1) \
  F(HESAPADI2, STRING, 50, 1) \

#define HK_FIELDS_FisDet(F, G) \
  HK_FIELDS_FisDetB(F, G) \
  F(BELGETIPI, STRING, 20, 1) \
  F(BELGENO, STRING, 20, 1) \
  F(BELGETARIHI, DATE, 4, 1) \
  F(BELGEACIKLAMASI, STRING, 30, 1) \
  F(BELGEACIKLAMASI2, STRING, 20, 1) \
  F(KPERSONEL, STRING, 30, 1) \
  F(KTARIHI, DATE, 4, 1) \
  F(KSAATI, TIME, 4, 1) \

#define HK_KEYS_FisDet(K) \
  K("MFD:KeyFisDet", "KEYSTR,HESAPKODU,ACKNO", false, false, true, true) \
  K("MFD:KeyFisSiraNo", "KEYSTR,FISSIRANO,ACKNO", false, false, true, true) \

// Company record before the registry numbers, web address and e-ledger flag (2919 bytes).
#define HK_FIELDS_YasalOld(F, G) \
  F(MALIDONEMBAS, DATE, 4, 1) \
  F(MALIDONEMSON, DATE, 4, 1) \
  F(FISNUMARALAMADUZENI, STRING, 1, 1) \
  F(FISNOSIRASI, STRING, 1, 1) \
  F(MAHSUPNUMARATOR, SHORT, 2, 366) \
  F(TAHSILNUMARATOR, SHORT, 2, 366) \
  F(TEDIYENUMARATOR, SHORT, 2, 366) \
  F(SIRKETUNVANI1, STRING, 80, 1) \
  F(SIRKETUNVANI2, STRING, 25, 1) \
  F(SIRKETADRESI1, STRING, 35, 1) \
  F(SIRKETADRESI2, STRING, 35, 1) \
  F(VERGIDAIRESIADI, STRING, 20, 1) \
  F(VERGIDAIRESINO, STRING, 10, 1) \
  F(VERGIDAIRESIIL, STRING, 20, 1) \
  F(SIRKETTLF, STRING, 11, 1) \
  F(SMMMADISOYADI, STRING, 25, 1) \
  F(SMMMVERGINO, STRING, 10, 1) \
  F(CALISILANAYNO, SHORT, 2, 1) \
  F(KAPANANAY, BYTE, 1, 1) \
  F(KASAHESAPKODU, STRING, 18, 1) \
  F(INDIRILECEKKDVKODU, STRING, 18, 5) \
  F(INDIRILECEKKDVORAN, SHORT, 2, 5) \
  F(ODENECEKKDVKODU, STRING, 18, 5) \
  F(ODENECEKKDVORAN, SHORT, 2, 5) \
  G(YEVMIYE, 5) \
  F(SONYEVMIYENO, REAL, 8, 1) \
  F(SONYEVMIYEAY, SHORT, 2, 1) \
  F(SONYEVMIYETARIH, DATE, 4, 1) \
  F(SONYEVMIYEBORC, REAL, 8, 1) \
  F(SONYEVMIYEALACAK, REAL, 8, 1) \
  G(KEBIR, 2) \
  F(SONKEBIRAY, SHORT, 2, 1) \
  F(KEBIRYEVMIYENO, LONG, 4, 1) \
  F(UNVAN, STRING, 30, 3) \
  F(IMZAADSOYAD, STRING, 30, 3) \
  F(FISGRUBYAZ, STRING, 1, 1) \
  F(YEVMIYEMATBU, BYTE, 1, 1) \
  F(KEBIRMATBU, BYTE, 1, 1) \
  F(FISDETAYSIRALA, BYTE, 1, 1) \
  F(TAHSILTEDIYEOTOMATIKKAPA, BYTE, 1, 1) \

#define HK_FIELDS_Yasal(F, G) \
  HK_FIELDS_YasalOld(F, G) \
  F(TICARETSICILNO, STRING, 20, 1) \
  F(MERSISNO, STRING, 20, 1) \
  F(WEB, STRING, 99, 1) \
  F(EDEFTER, STRING, 1, 1) \

#define HK_KEYS_Yasal(K) \

#define HK_FIELDS_Doviz(F, G) \
  F(DOVIZKODU, STRING, 3, 1) \
  F(DOVIZADI, STRING, 30, 1) \

#define HK_KEYS_Doviz(K) \
  K("DOV:KyDovizKodu", "DOVIZKODU", true, true, true, true) \

#define HK_FIELDS_DDoviz(F, G) \
  F(DOVIZKODU, STRING, 3, 1) \
  F(DOVIZKURTARIHI, DATE, 4, 1) \
  F(DOVIZKURTUTARI, REAL, 8, 1) \

#define HK_KEYS_DDoviz(K) \
  K("DDO:KyDoviz", "DOVIZKODU,-DOVIZKURTARIHI", false, true, true, true) \

#define HK_FIELDS_FisAck(F, G) \
  F(ACK, STRING, 35, 1) \

#define HK_KEYS_FisAck(K) \
  K("ACK:KeyAck", "ACK", false, true, true, true) \

#define HK_FIELDS_Nitelik(F, G) \
  F(FISNTLK, STRING, 3, 1) \
  F(ACK, STRING, 20, 1) \

#define HK_KEYS_Nitelik(K) \
  K("MFN:KeyNtlk", "FISNTLK", true, true, true, true) \

#define HK_FIELDS_CsPlan(F, G) \
  F(HESAPKODU, STRING, 18, 1) \
  F(HESAPAD1, STRING, 50, 1) \

#define HK_KEYS_CsPlan(K) \
  K("CsHSP:KeyHesap", "HESAPKODU", true, true, true, true) \
  K("CsHSP:KeyHesapAd", "HESAPAD1", false, false, true, true) \

#define HK_FIELDS_BelgeTip(F, G) \
  F(BELGETIPI, STRING, 20, 1) \
  F(BELGETIPI_XML, STRING, 20, 1) \

#define HK_KEYS_BelgeTip(K) \
  K("BTip:KyBelgeTiplari", "BELGETIPI", true, true, false, true) \

#define HK_FIELDS_Version(F, G) \
  F(VERSION, STRING, 6, 1) \

#define HK_KEYS_Version(K) \

#define HK_FIELDS_XHsp(F, G) \
  HK_FIELDS_HsPlanMaster(F, G) \
  F(CRTLBORC, REAL, 8, 1) \
  F(CRTLALACAK, REAL, 8, 1) \
  F(CRALTBIRIMBORC, REAL, 8, 1) \
  F(CRALTBIRIMALACAK, REAL, 8, 1) \
  F(CRDOVIZBORC, REAL, 8, 1) \
  F(CRDOVIZALACAK, REAL, 8, 1) \
  F(KMTLBORC, REAL, 8, 1) \
  F(KMTLALACAK, REAL, 8, 1) \
  F(KMALTBIRIMBORC, REAL, 8, 1) \
  F(KMALTBIRIMALACAK, REAL, 8, 1) \
  F(KMDOVIZBORC, REAL, 8, 1) \
  F(KMDOVIZALACAK, REAL, 8, 1) \
  F(BKTLBORC, REAL, 8, 1) \
  F(BKTLALACAK, REAL, 8, 1) \
  F(BKALTBIRIMBORC, REAL, 8, 1) \
  F(BKALTBIRIMALACAK, REAL, 8, 1) \
  F(BKDOVIZBORC, REAL, 8, 1) \
  F(BKDOVIZALACAK, REAL, 8, 1) \

#define HK_KEYS_XHsp(K) \
  K("XHSP:KeyHesap", "HESAPKODU", true, true, true, true) \

#define HK_FIELDS_XKebir(F, G) \
  F(HESAPKODU, STRING, 18, 1) \
  F(FISTRH, DATE, 4, 1) \
  F(FISNO, SHORT, 2, 1) \
  F(YEVMIYENO, LONG, 4, 1) \
  F(TLBORC, REAL, 8, 1) \
  F(TLALACAK, REAL, 8, 1) \
  F(FISTUR, STRING, 6, 1) \
  F(DURUM, STRING, 1, 1) \

#define HK_KEYS_XKebir(K) \
  K("XKE:KeyKod", "HESAPKODU,FISTRH,YEVMIYENO,DURUM", false, false, true, true) \

// The voucher-line work file repeats the voucher-line layout.
#define HK_FIELDS_Tmp(F, G) HK_FIELDS_FisDet(F, G)

#define HK_KEYS_Tmp(K) \
  K("Tmp:KeyFisDet", "KEYSTR,FISSIRANO,ACKNO", false, false, true, true) \

#define HK_FIELDS_DataList(F, G) \
  F(KOD, BYTE, 1, 1) \
  F(AD, STRING, 35, 1) \
  F(CINS, STRING, 20, 1) \
  F(UZUNLUK, SHORT, 2, 1) \
  F(NO, SHORT, 2, 1) \

#define HK_KEYS_DataList(K) \
  K("Dls:KeyKod", "KOD,AD", false, false, true, true) \

#define HK_FIELDS_Rapor(F, G) \
  F(RAPKOD, STRING, 5, 1) \
  F(RAPNO, SHORT, 2, 1) \
  F(AD, STRING, 35, 1) \
  F(UZUNLUK, SHORT, 2, 1) \
  F(RAPORTEXT, STRING, 255, 1) \
  F(FILTRE1, CSTRING, 255, 1) \
  F(FILTRE2, CSTRING, 255, 1) \
  F(FILTRE3, CSTRING, 255, 1) \

#define HK_KEYS_Rapor(K) \
  K("RAP:RapKodKey", "RAPKOD,RAPNO", true, true, true, true) \

#define HK_FIELDS_DRapor(F, G) \
  F(RAPKOD, STRING, 5, 1) \
  F(RAPNO, STRING, 5, 1) \
  F(SIRANO, SHORT, 2, 1) \
  F(FIELDKOD, STRING, 500, 1) \
  F(NTLK, STRING, 1, 1) \
  F(UZUNLUK, SHORT, 2, 1) \
  F(AD, STRING, 50, 3) \
  F(FRML, CSTRING, 20, 1) \
  F(YAZ, STRING, 1, 1) \
  F(FORMUL, CSTRING, 255, 1) \
  F(BAGLANTI, STRING, 255, 1) \
  F(FILTRE, STRING, 255, 1) \
  F(TOPLA, STRING, 1, 1) \

#define HK_KEYS_DRapor(K) \
  K("DRP:RapNoKey", "RAPKOD,RAPNO,SIRANO", false, true, true, true) \

#define HK_FIELDS_Tablo(F, G) \
  F(RAPNO, SHORT, 2, 1) \
  F(AD, STRING, 35, 1) \
  F(RAPORTEXT, STRING, 255, 1) \
  F(RAPORTIPI, STRING, 1, 1) \

#define HK_KEYS_Tablo(K) \
  K("BRAP:RapKodKey", "RAPNO", true, true, true, true) \

#define HK_FIELDS_DTablo(F, G) \
  F(RAPNO, STRING, 5, 1) \
  F(SIRANO, SHORT, 2, 1) \
  F(AKTIFPASIF, STRING, 1, 1) \
  F(SAHAADI, STRING, 45, 1) \
  F(OSAHA, STRING, 254, 1) \
  F(SAHA, STRING, 254, 1) \
  F(FORMUL, CSTRING, 255, 1) \
  F(HSKOD, STRING, 255, 1) \
  F(NITELIK, STRING, 1, 1) \
  F(YAZILSINMI, STRING, 1, 1) \
  F(BOSLUK, SHORT, 2, 1) \

#define HK_KEYS_DTablo(K) \
  K("BDRP:RapNoKey", "RAPNO,SIRANO,AKTIFPASIF", false, true, true, true) \

#define HK_FIELDS_ORapor(F, G) \
  F(RAPKOD, STRING, 5, 1) \
  F(RAPNO, SHORT, 2, 1) \
  F(AD, STRING, 35, 1) \
  F(UZUNLUK, SHORT, 2, 1) \
  F(RAPORTEXT, STRING, 255, 1) \
  F(FILTRE1, CSTRING, 255, 1) \
  F(ADUZN, SHORT, 2, 1) \
  F(ORAN, REAL, 8, 1) \
  F(DEGERUZN, SHORT, 2, 1) \

#define HK_KEYS_ORapor(K) \
  K("ORP:RapKodKey", "RAPKOD,RAPNO", true, true, true, true) \

#define HK_FIELDS_DORapor(F, G) \
  F(RAPKOD, STRING, 5, 1) \
  F(RAPNO, STRING, 5, 1) \
  F(SIRANO, SHORT, 2, 1) \
  F(ACK, STRING, 50, 1) \
  F(FIELDKOD, STRING, 500, 1) \
  F(NTLK, STRING, 1, 1) \
  F(YAZ, STRING, 1, 1) \
  F(FORMUL, STRING, 255, 1) \

#define HK_KEYS_DORapor(K) \
  K("DOR:RapNoKey", "RAPKOD,RAPNO,SIRANO", false, true, true, true) \

#define HK_FIELDS_Muhtasar(F, G) \
  F(RAPNO, SHORT, 2, 1) \
  F(AD, STRING, 35, 1) \
  F(SOLBOSLUK, SHORT, 2, 1) \
  F(USTBOSLUK, SHORT, 2, 1) \
  F(YUVARLAMAORAN, REAL, 8, 1) \
  F(B1, STRING, 255, 1) \
  F(B2, STRING, 255, 1) \
  F(B31, STRING, 255, 1) \
  F(B32, STRING, 255, 1) \
  F(B4, STRING, 255, 1) \
  F(B5, STRING, 255, 1) \
  F(TI06, STRING, 3, 1) \
  F(TI06A, STRING, 255, 1) \
  F(RTI06A, BYTE, 1, 1) \
  F(TI06B, STRING, 255, 1) \
  F(RTI06B, BYTE, 1, 1) \
  F(TI07, STRING, 3, 1) \
  F(TI07A, STRING, 255, 1) \
  F(RTI07A, BYTE, 1, 1) \
  F(TI07B, STRING, 255, 1) \
  F(RTI07B, BYTE, 1, 1) \
  F(TI08, STRING, 3, 1) \
  F(TI08A, STRING, 255, 1) \
  F(RTI08A, BYTE, 1, 1) \
  F(TI08B, STRING, 255, 1) \
  F(RTI08B, BYTE, 1, 1) \
  F(TI09, STRING, 3, 1) \
  F(TI09A, STRING, 255, 1) \
  F(RTI09A, BYTE, 1, 1) \
  F(TI09B, STRING, 255, 1) \
  F(RTI09B, BYTE, 1, 1) \
  F(TI10, STRING, 3, 1) \
  F(TI10A, STRING, 255, 1) \
  F(RTI10A, BYTE, 1, 1) \
  F(TI10B, STRING, 255, 1) \
  F(RTI10B, BYTE, 1, 1) \
  F(TI11, STRING, 3, 1) \
  F(TI11A, STRING, 255, 1) \
  F(RTI11A, BYTE, 1, 1) \
  F(TI11B, STRING, 255, 1) \
  F(RTI11B, BYTE, 1, 1) \
  F(TI12, STRING, 3, 1) \
  F(TI12A, STRING, 255, 1) \
  F(RTI12A, BYTE, 1, 1) \
  F(TI12B, STRING, 255, 1) \
  F(RTI12B, BYTE, 1, 1) \
  F(TI13, STRING, 3, 1) \
  F(TI13A, STRING, 255, 1) \
  F(RTI13A, BYTE, 1, 1) \
  F(TI13B, STRING, 255, 1) \
  F(RTI13B, BYTE, 1, 1) \
  F(TI14, STRING, 3, 1) \
  F(TI14A, STRING, 255, 1) \
  F(RTI14A, BYTE, 1, 1) \
  F(TI14B, STRING, 255, 1) \
  F(RTI14B, BYTE, 1, 1) \
  F(TI15, STRING, 3, 1) \
  F(TI15A, STRING, 255, 1) \
  F(RTI15A, BYTE, 1, 1) \
  F(TI15B, STRING, 255, 1) \
  F(RTI15B, BYTE, 1, 1) \
  F(TI16, STRING, 3, 1) \
  F(TI16A, STRING, 255, 1) \
  F(RTI16A, BYTE, 1, 1) \
  F(TI16B, STRING, 255, 1) \
  F(RTI16B, BYTE, 1, 1) \
  F(TI17A, STRING, 255, 1) \
  F(RTI17A, BYTE, 1, 1) \
  F(TI17B, STRING, 255, 1) \
  F(RTI17B, BYTE, 1, 1) \
  F(TIA, STRING, 5, 1) \
  F(TIB, STRING, 5, 1) \
  F(TIC, STRING, 5, 1) \
  F(TI18, STRING, 255, 1) \
  F(RTI18, BYTE, 1, 1) \
  F(TI19, STRING, 255, 1) \
  F(RTI19, BYTE, 1, 1) \
  F(TI20, STRING, 255, 1) \
  F(RTI20, BYTE, 1, 1) \
  F(TI21, STRING, 255, 1) \
  F(RTI21, BYTE, 1, 1) \
  F(TI22, STRING, 255, 1) \
  F(RTI22, BYTE, 1, 1) \
  F(TI23, STRING, 255, 1) \
  F(RTI23, BYTE, 1, 1) \
  F(TI24, STRING, 255, 1) \
  F(RTI24, BYTE, 1, 1) \
  F(TII1A, STRING, 255, 1) \
  F(RTII1A, BYTE, 1, 1) \
  F(TII1B, STRING, 255, 1) \
  F(RTII1B, BYTE, 1, 1) \
  F(TII2A, STRING, 255, 1) \
  F(RTII2A, BYTE, 1, 1) \
  F(TII2B, STRING, 255, 1) \
  F(RTII2B, BYTE, 1, 1) \
  F(TII3A, STRING, 255, 1) \
  F(RTII3A, BYTE, 1, 1) \
  F(TII3B, STRING, 255, 1) \
  F(RTII3B, BYTE, 1, 1) \
  F(TII4A, STRING, 255, 1) \
  F(RTII4A, BYTE, 1, 1) \
  F(TII4B, STRING, 255, 1) \
  F(RTII4B, BYTE, 1, 1) \
  F(TII5A, STRING, 255, 1) \
  F(RTII5A, BYTE, 1, 1) \
  F(TII5B, STRING, 255, 1) \
  F(RTII5B, BYTE, 1, 1) \
  F(TIII1A, STRING, 40, 1) \
  F(TIII2A, STRING, 40, 1) \
  F(TIII3A, STRING, 40, 1) \
  F(TIII4A, STRING, 40, 1) \
  F(TIII1B, STRING, 40, 1) \
  F(TIII2B, STRING, 40, 1) \
  F(TIII3B, STRING, 40, 1) \
  F(TIII4B, STRING, 40, 1) \
  F(TIII1C, STRING, 40, 1) \
  F(TIII2C, STRING, 40, 1) \
  F(TIII3C, STRING, 40, 1) \
  F(TIII4C, STRING, 40, 1) \
  F(TIII1D, REAL, 8, 1) \
  F(TIII2D, REAL, 8, 1) \
  F(TIII3D, REAL, 8, 1) \
  F(TIII4D, REAL, 8, 1) \
  F(TIII1E, REAL, 8, 1) \
  F(TIII2E, REAL, 8, 1) \
  F(TIII3E, REAL, 8, 1) \
  F(TIII4E, REAL, 8, 1) \
  F(TIII1F, REAL, 8, 1) \
  F(TIII2F, REAL, 8, 1) \
  F(TIII3F, REAL, 8, 1) \
  F(TIII4F, REAL, 8, 1) \

#define HK_KEYS_Muhtasar(K) \
  K("MRAP:RapKodKey", "RAPNO", true, true, true, true) \

#define HK_FIELDS_Kdv(F, G) \
  F(RAPNO, SHORT, 2, 1) \
  F(AD, STRING, 35, 1) \
  F(SOLBOSLUK, SHORT, 2, 1) \
  F(USTBOSLUK, SHORT, 2, 1) \
  F(YUVARLAMAORAN, REAL, 8, 1) \
  F(B1, STRING, 200, 1) \
  F(B2, STRING, 200, 1) \
  F(B31, STRING, 200, 1) \
  F(B32, STRING, 200, 1) \
  F(B4, STRING, 200, 1) \
  F(B5, STRING, 200, 1) \
  F(TI06, STRING, 200, 1) \
  F(RTI06, BYTE, 1, 1) \
  F(TI07, STRING, 200, 1) \
  F(RTI07, BYTE, 1, 1) \
  F(TI08, STRING, 200, 1) \
  F(RTI08, BYTE, 1, 1) \
  F(TI09, STRING, 200, 1) \
  F(RTI09, BYTE, 1, 1) \
  F(TI09O, SHORT, 2, 1) \
  F(TI10, STRING, 200, 1) \
  F(RTI10, BYTE, 1, 1) \
  F(TI11, STRING, 200, 1) \
  F(RTI11, BYTE, 1, 1) \
  F(TI11O, SHORT, 2, 1) \
  F(TI12, STRING, 200, 1) \
  F(RTI12, BYTE, 1, 1) \
  F(TI13, STRING, 200, 1) \
  F(RTI13, BYTE, 1, 1) \
  F(TI13O, SHORT, 2, 1) \
  F(TI14, STRING, 200, 1) \
  F(RTI14, BYTE, 1, 1) \
  F(TI15, STRING, 200, 1) \
  F(RTI15, BYTE, 1, 1) \
  F(TI15O, SHORT, 2, 1) \
  F(TI16, STRING, 200, 1) \
  F(RTI16, BYTE, 1, 1) \
  F(TI17, STRING, 200, 1) \
  F(RTI17, BYTE, 1, 1) \
  F(TI17O, SHORT, 2, 1) \
  F(TI18, STRING, 200, 1) \
  F(RTI18, BYTE, 1, 1) \
  F(TI19, STRING, 200, 1) \
  F(RTI19, BYTE, 1, 1) \
  F(TI20, STRING, 200, 1) \
  F(RTI20, BYTE, 1, 1) \
  F(TI21, STRING, 200, 1) \
  F(RTI21, BYTE, 1, 1) \
  F(TI22, STRING, 200, 1) \
  F(RTI22, BYTE, 1, 1) \
  F(TI23, STRING, 200, 1) \
  F(RTI23, BYTE, 1, 1) \
  F(TI24, STRING, 200, 1) \
  F(RTI24, BYTE, 1, 1) \
  F(TI25, STRING, 200, 1) \
  F(RTI25, BYTE, 1, 1) \
  F(TI26, STRING, 200, 1) \
  F(RTI26, BYTE, 1, 1) \
  F(TI27, STRING, 200, 1) \
  F(RTI27, BYTE, 1, 1) \
  F(TI28, STRING, 200, 1) \
  F(RTI28, BYTE, 1, 1) \
  F(TI29, STRING, 200, 1) \
  F(RTI29, BYTE, 1, 1) \
  F(TI30, STRING, 200, 1) \
  F(RTI30, BYTE, 1, 1) \
  F(TII31, STRING, 200, 1) \
  F(RTII31, BYTE, 1, 1) \
  F(TII32, STRING, 200, 1) \
  F(RTII32, BYTE, 1, 1) \
  F(TII33, STRING, 200, 1) \
  F(RTII33, BYTE, 1, 1) \
  F(TII34, STRING, 200, 1) \
  F(RTII34, BYTE, 1, 1) \
  F(TII35, STRING, 200, 1) \
  F(RTII35, BYTE, 1, 1) \
  F(TII36, STRING, 200, 1) \
  F(RTII36, BYTE, 1, 1) \
  F(TII37, STRING, 200, 1) \
  F(RTII37, BYTE, 1, 1) \
  F(TII38, STRING, 200, 1) \
  F(RTII38, BYTE, 1, 1) \
  F(TII39, STRING, 200, 1) \
  F(RTII39, BYTE, 1, 1) \
  F(TII40, STRING, 200, 1) \
  F(RTII40, BYTE, 1, 1) \
  F(TII41, STRING, 200, 1) \
  F(RTII41, BYTE, 1, 1) \
  F(TII42, STRING, 200, 1) \
  F(RTII42, BYTE, 1, 1) \
  F(TII43, STRING, 200, 1) \
  F(RTII43, BYTE, 1, 1) \
  F(TII44, STRING, 200, 1) \
  F(RTII44, BYTE, 1, 1) \
  F(TII45, STRING, 200, 1) \
  F(RTII45, BYTE, 1, 1) \
  F(TII46, STRING, 200, 1) \
  F(RTII46, BYTE, 1, 1) \
  F(TII47, STRING, 200, 1) \
  F(RTII47, BYTE, 1, 1) \
  F(TII48, STRING, 200, 1) \
  F(RTII48, BYTE, 1, 1) \
  F(TII49, STRING, 200, 1) \
  F(RTII49, BYTE, 1, 1) \
  F(TII50, STRING, 200, 1) \
  F(RTII50, BYTE, 1, 1) \
  F(TII51, STRING, 200, 1) \
  F(RTII51, BYTE, 1, 1) \
  F(TII52, STRING, 200, 1) \
  F(RTII52, BYTE, 1, 1) \
  F(TII53, STRING, 200, 1) \
  F(RTII53, BYTE, 1, 1) \
  F(TIII54, STRING, 200, 1) \
  F(RTII54, BYTE, 1, 1) \
  F(TIII54O, SHORT, 2, 1) \
  F(TIII55, STRING, 200, 1) \
  F(RTII55, BYTE, 1, 1) \
  F(TIII56, STRING, 200, 1) \
  F(RTII56, BYTE, 1, 1) \
  F(TIII56O, SHORT, 2, 1) \
  F(TIII57, STRING, 200, 1) \
  F(RTII57, BYTE, 1, 1) \
  F(TIII58, STRING, 200, 1) \
  F(RTII58, BYTE, 1, 1) \
  F(TIII58O, SHORT, 2, 1) \
  F(TIII59, STRING, 200, 1) \
  F(RTII59, BYTE, 1, 1) \
  F(TIII60, STRING, 200, 1) \
  F(RTII60, BYTE, 1, 1) \
  F(TIII60O, SHORT, 2, 1) \
  F(TIII61, STRING, 200, 1) \
  F(RTIII61, BYTE, 1, 1) \
  F(TIII62, STRING, 200, 1) \
  F(RTIII62, BYTE, 1, 1) \
  F(TIII63, STRING, 200, 1) \
  F(RTIII63, BYTE, 1, 1) \
  F(TIII64, STRING, 200, 1) \
  F(RTIII64, BYTE, 1, 1) \

#define HK_KEYS_Kdv(K) \
  K("KRAP:kyKod", "RAPNO", true, true, true, true) \

#define HK_FIELDS_BDipNot(F, G) \
  F(SATIR, STRING, 64000, 1) \

#define HK_KEYS_BDipNot(K) \

#define HK_FIELDS_KDipNot(F, G) \
  F(SATIR, STRING, 64000, 1) \

#define HK_KEYS_KDipNot(K) \

// Users. PASSWORDHASH (added after the 61 bytes of the program's own record, whose fields keep their
// offsets) holds the Argon2id hash of the upper-cased password (app/users.h); PASSWORD stays
// blank, the plain password never reaches the disk.
#define HK_FIELDS_KLUsers(F, G) \
  F(ID, STRING, 10, 1) \
  F(PASSWORD, STRING, 20, 1) \
  F(NAME, STRING, 30, 1) \
  F(MASTERUSER, BYTE, 1, 1) \
  F(PASSWORDHASH, STRING, 128, 1) \

#define HK_KEYS_KLUsers(K) \
  K("USR:IdKey", "ID", false, true, true, true) \

#define HK_FIELDS_KLGrups(F, G) \
  F(GRUPNO, REAL, 8, 1) \
  F(GRUPADI, STRING, 30, 1) \

#define HK_KEYS_KLGrups(K) \
  K("Grp:KyGrup", "GRUPNO", false, true, true, true) \

#define HK_FIELDS_KLGUsers(F, G) \
  F(ID, STRING, 10, 1) \
  F(GRUPNO, REAL, 8, 1) \
  F(GRUPADI, STRING, 30, 1) \

#define HK_KEYS_KLGUsers(K) \
  K("Gusr:IdKey", "ID,GRUPNO", false, true, true, true) \
  K("Gusr:GrupKey", "GRUPNO", false, false, true, true) \

#define HK_FIELDS_KLDGrups(F, G) \
  F(GRUPNO, REAL, 8, 1) \
  F(MENUNO, REAL, 8, 1) \
  F(MENUADI, STRING, 50, 1) \
  F(GOSTER, STRING, 1, 1) \
  F(IZLE, STRING, 1, 1) \
  F(YENIGIR, STRING, 1, 1) \
  F(DEGISTIR, STRING, 1, 1) \
  F(SIL, STRING, 1, 1) \

#define HK_KEYS_KLDGrups(K) \
  K("Dgrp:GrpKey", "GRUPNO,MENUNO", false, true, true, true) \

#define HK_FIELDS_KLDUsers(F, G) \
  F(ID, STRING, 10, 1) \
  F(GRUPNO, REAL, 8, 1) \
  F(MENUNO, REAL, 8, 1) \
  F(MENUADI, STRING, 50, 1) \
  F(GOSTER, STRING, 1, 1) \
  F(IZLE, STRING, 1, 1) \
  F(YENIGIR, STRING, 1, 1) \
  F(DEGISTIR, STRING, 1, 1) \
  F(SIL, STRING, 1, 1) \

#define HK_KEYS_KLDUsers(K) \
  K("Dusr:IdKey", "ID,MENUNO", false, true, true, true) \
  K("Dusr:IdGrpKey", "ID,GRUPNO", false, false, true, true) \

#define HK_FIELDS_MenuList(F, G) \
  F(MENUNO, REAL, 8, 1) \
  F(MENUADI, STRING, 50, 1) \

#define HK_KEYS_MenuList(K) \
  K("Men:KyMenu", "MENUNO", false, true, true, true) \
// Voucher line as the oldest data sets hold it (133 bytes); the keys are those of FisDet.
#define HK_FIELDS_FisDetA(F, G) \
  F(KEYSTR, STRING, 10, 1) \
  F(FISSIRANO, SHORT, 2, 1) \
  F(HESAPKODU, STRING, 18, 1) \
  F(FISACK, STRING, 35, 1) \
  F(TLBORC, REAL, 8, 1) \
  F(TLALACAK, REAL, 8, 1) \
  F(ALTBIRIMBORC, REAL, 8, 1) \
  F(ALTBIRIMALACAK, REAL, 8, 1) \
  F(DOVIZBORC, REAL, 8, 1) \
  F(DOVIZALACAK, REAL, 8, 1) \
  F(FISTRH, DATE, 4, 1) \
  F(FISNO, SHORT, 2, 1) \
  F(FISTUR, STRING, 6, 1) \
  F(FISNTLK, STRING, 3, 1) \
  F(ACKNO, LONG, 4, 1) \
  F(BORCALACAK, STRING, 1, 1) \

// Line files: plain records without keys.
#define HK_FIELDS_Ede(F, G) \
  F(SATIR, STRING, 64000, 1) \

#define HK_FIELDS_Upl(F, G) \
  F(S, STRING, 10000, 1) \

#define HK_FIELDS_Akt(F, G) \
  F(NTLK, STRING, 3, 1) \
  F(REC, STRING, 1250, 1) \

#define HK_KEYS_NONE(K)

// Every layout: X(Layout, FIELDS, KEYS, logical file name, prefix). The old layouts carry the
// logical name of the file they are an earlier form of.
#define HK_LAYOUTS(X) \
  X(HsPlan,    HsPlan,    HsPlan,    "HsPlan",    "HSP") \
  X(FisBas,    FisBas,    FisBas,    "FisBas",    "MFB") \
  X(FisDet,    FisDet,    FisDet,    "FisDet",    "MFD") \
  X(Yasal,     Yasal,     Yasal,     "Yasal",     "MYA") \
  X(Doviz,     Doviz,     Doviz,     "Doviz",     "DOV") \
  X(DDoviz,    DDoviz,    DDoviz,    "DDoviz",    "DDO") \
  X(FisAck,    FisAck,    FisAck,    "FisAck",    "ACK") \
  X(Nitelik,   Nitelik,   Nitelik,   "Nitelik",   "MFN") \
  X(CsPlan,    CsPlan,    CsPlan,    "CsPlan",    "CSHSP") \
  X(BelgeTip,  BelgeTip,  BelgeTip,  "BelgeTip",  "BTIP") \
  X(Version,   Version,   Version,   "Version",   "PVER") \
  X(XHsp,      XHsp,      XHsp,      "XHs",       "XHSP") \
  X(XKebir,    XKebir,    XKebir,    "XKebir",    "XKE") \
  X(Tmp,       Tmp,       Tmp,       "Hk",        "TMP") \
  X(DataList,  DataList,  DataList,  "DataList",  "DLS") \
  X(Ede,       Ede,       NONE,      "Ede",       "EDE") \
  X(Upl,       Upl,       NONE,      "Upl",       "UPL") \
  X(Akt,       Akt,       NONE,      "Akt",       "AKT") \
  X(Rapor,     Rapor,     Rapor,     "Rapor",     "RAP") \
  X(DRapor,    DRapor,    DRapor,    "DRapor",    "DRP") \
  X(Tablo,     Tablo,     Tablo,     "Tablo",     "BRAP") \
  X(DTablo,    DTablo,    DTablo,    "DTablo",    "BDRP") \
  X(ORapor,    ORapor,    ORapor,    "ORapor",    "ORP") \
  X(DORapor,   DORapor,   DORapor,   "DORapor",   "DOR") \
  X(Muhtasar,  Muhtasar,  Muhtasar,  "Muhtasar",  "MRAP") \
  X(Kdv,       Kdv,       Kdv,       "Kdv",       "KRAP") \
  X(BDipNot,   BDipNot,   BDipNot,   "BDipNot",   "BDI") \
  X(KDipNot,   KDipNot,   KDipNot,   "KDipNot",   "KDI") \
  X(KLUsers,   KLUsers,   KLUsers,   "KLUsers",   "USR") \
  X(KLGrups,   KLGrups,   KLGrups,   "KLGrups",   "GRP") \
  X(KLGUsers,  KLGUsers,  KLGUsers,  "KLGUsers",  "GUSR") \
  X(KLDGrups,  KLDGrups,  KLDGrups,  "KLDGrups",  "DGRP") \
  X(KLDUsers,  KLDUsers,  KLDUsers,  "KLDUsers",  "DUSR") \
  X(MenuList,  MenuList,  MenuList,  "MenuList",  "MEN") \
  X(FisDetA,   FisDetA,   FisDet,    "FisDet",    "MFD") \
  X(FisDetB,   FisDetB,   FisDet,    "FisDet",    "MFD") \
  X(FisBasOld, FisBasOld, FisBas,    "FisBas",    "MFB") \
  X(YasalOld,  YasalOld,  NONE,      "Yasal",     "MYA")

// clang-format on
