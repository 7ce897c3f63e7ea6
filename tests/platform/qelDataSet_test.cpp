#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace qel;

TEST(Fields, FoundByNameIgnoringCaseAndMissingOnesNamed)
{
    TFields f;
    f.Add(std::make_unique<TField>("ID", TFieldType::ftInteger));
    f.Add(std::make_unique<TField>("Name", TFieldType::ftString, 50));
    EXPECT_EQ(&f.FieldByName("name"), &f[1]);
    EXPECT_EQ(f.FindField("none"), nullptr);
    EXPECT_STREQ(qeltest::ErrorOf<EDatabaseError>([&] { f.FieldByName("NONE"); }).what(), "Field 'NONE' not found");
}

TEST(Fields, EveryValueKindRoundTripsExactly)
{
    TField big("B", TFieldType::ftLargeint);
    big.SetValue(TValue::Integer(-9223372036854775807LL - 1));
    EXPECT_EQ(big.AsLargeInt(), -9223372036854775807LL - 1);
    EXPECT_THROW(big.AsInteger(), EConvertError);

    TField bcd("N", TFieldType::ftFMTBcd, 0, 38, 10);
    bcd.SetValue(TValue::Decimal(TDecimal::FromString("1234567890123456789012345678.0123456789")));
    EXPECT_EQ(bcd.AsBCD().ToString(), "1234567890123456789012345678.0123456789");

    TField cur("C", TFieldType::ftCurrency);
    cur.SetValue(TValue::Decimal(TDecimal::FromString("-922337203685477.5808")));
    EXPECT_EQ(cur.AsCurrency().ToString(), "-922337203685477.5808");

    TField ts("T", TFieldType::ftDateTime);
    ts.SetValue(TValue::DateTime(TDateTimeValue::Parse("2024-02-27 13:14:15.000001")));
    EXPECT_EQ(ts.AsDateTime().Microsecond, 1);

    TField blob("X", TFieldType::ftBlob);
    std::string bytes(1 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    blob.SetValue(TValue::Bytes(bytes));
    EXPECT_EQ(blob.AsBytes(), bytes);
    EXPECT_TRUE(blob.IsBlob());

    TField dbl("D", TFieldType::ftFloat);
    dbl.SetValue(TValue::Float(0.1 + 0.2));
    EXPECT_EQ(dbl.AsFloat(), 0.1 + 0.2);
    dbl.SetNull();
    EXPECT_TRUE(dbl.IsNull());
}

TEST(Params, TypedSettersSetTypeAndStreamLoadsWholeValue)
{
    TParams ps;
    TParam& a = ps.CreateParam(TFieldType::ftUnknown, "A");
    TParam& b = ps.CreateParam(TFieldType::ftUnknown, "h00000000_00000003");
    a.SetAsLargeInt(1LL << 40);
    EXPECT_EQ(a.DataType(), TFieldType::ftLargeint);
    EXPECT_EQ(a.AsLargeInt(), 1LL << 40);
    std::istringstream in(std::string("\0\1\2", 3));
    b.LoadFromStream(in, TFieldType::ftBlob);
    EXPECT_EQ(b.DataType(), TFieldType::ftBlob);
    EXPECT_EQ(b.AsBytes(), std::string("\0\1\2", 3));
    a.Clear();
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ(a.DataType(), TFieldType::ftLargeint);
    EXPECT_THROW(ps.ParamByName("missing"), EDatabaseError);
}

TEST(Params, AssignValuesMatchesByNameIncludingRepeatedNames)
{
    TParams oldList, newList;
    oldList.CreateParam(TFieldType::ftUnknown, "ID").SetAsInteger(7);
    oldList.CreateParam(TFieldType::ftUnknown, "NAME").SetAsString("x");
    newList.CreateParam(TFieldType::ftUnknown, "name");
    newList.CreateParam(TFieldType::ftUnknown, "OTHER");
    newList.CreateParam(TFieldType::ftUnknown, "NAME");
    newList.AssignValues(oldList);
    EXPECT_EQ(newList[0].AsString(), "x");
    EXPECT_FALSE(newList[1].Bound());
    EXPECT_EQ(newList[2].AsString(), "x");
}
