#!/usr/bin/perl
# widl 7.0 writes the library's own GUID into the type library with a wrong last byte (the
# interfaces' and classes' GUIDs come out right). This sets it to the GUID given here.
# Usage: fix_typelib.pl file.tlb {library-guid}
use strict;
use warnings;

my ($file, $libid) = @ARGV;
die "usage: $0 file.tlb {guid}\n" unless $file && $libid;
open(my $in, '<:raw', $file) or die "$file: $!\n";
local $/;
my $tlb = <$in>;
close $in;

sub int32 { unpack('l<', substr($tlb, $_[0], 4)) }
sub guid_bytes {
    my ($text) = @_;
    $text =~ /^\{?([0-9A-Fa-f]{8})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{12})\}?$/
        or die "not a GUID: $text\n";
    return pack('V v v', hex($1), hex($2), hex($3)) . pack('H4 H12', $4, $5);
}

die "$file: not an MSFT type library\n" unless substr($tlb, 0, 4) eq 'MSFT';
my $varflags = int32(0x14);
my $count = int32(0x20);
my $segdir = 0x54 + (($varflags & 0x100) ? 4 : 0) + 4 * $count;
my $guids = int32($segdir + 5 * 16);        # segment 5: GUID table

substr($tlb, $guids + int32(0x08), 16) = guid_bytes($libid);

open(my $out, '>:raw', $file) or die "$file: $!\n";
print $out $tlb;
close $out;
