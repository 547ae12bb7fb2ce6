# Lists the tests that a CTest run skipped, each with its reason, from the
# run's log (Testing/Temporary/LastTest.log). A skipped test gives its reason
# after a line ending in ": Skipped", as GoogleTest's GTEST_SKIP does.
/^[0-9]+\/[0-9]+ Testing: / {
    name = substr($0, index($0, ": ") + 2)
    sub(/  # GetParam\(\).*/, "", name)
    next
}
/: Skipped$/ { reading = 1; reason = ""; next }
reading && (/^\[  SKIPPED \]/ || /^<end of output>$/) {
    skipped[++count] = "  " name ": " reason
    reading = 0
    next
}
reading { reason = reason (reason == "" ? "" : " ") $0 }
END {
    if (count == 0) exit
    print "Skipped, and why (" count "):"
    for (i = 1; i <= count; i++) print skipped[i] | "sort"
}
